#!/bin/bash
# Regenerates every PNG icon from its SVG source.
# Small sizes have their own pixel-aligned sources (NAME-SIZE.svg) so that
# outlines stay crisp; the other sizes are rendered from NAME.svg.
set -euo pipefail
cd "$(dirname "$0")"

render() { # render NAME SIZE
    local name=$1 size=$2 src=$1.svg
    if [ -f "$name-$size.svg" ]; then
        src=$name-$size.svg
    fi
    rsvg-convert -w "$size" -h "$size" "$src" -o "$name-$size.png"
    echo "$src -> $name-$size.png"
}

for size in 16 24 32 48 256; do render velnor "$size"; done
for size in 16 32 48; do render network "$size"; done
for size in 16 32 48; do render netpc "$size"; done

# The maker's logo for the About window: a fixed 67x143 panel, flattened onto
# its own dark blue so the PNG is opaque 24-bit RGB.
rsvg-convert -w 67 -h 143 brantel-logo.svg |
    convert - -background '#0e2556' -flatten -type TrueColor \
        -define png:exclude-chunks=date,time PNG24:brantel-logo.png
echo "brantel-logo.svg -> brantel-logo.png"

# The pointing-hand cursor: black, white and fully transparent pixels only, so
# any partial alpha or grey that anti-aliasing leaves is thresholded away.
rsvg-convert -w 32 -h 32 hand.svg |
    convert - -channel A -threshold 50% -channel RGB -threshold 50% +channel \
        -define png:exclude-chunks=date,time PNG32:hand-32.png
echo "hand.svg -> hand-32.png"

# The Windows application icon and cursor, assembled from the PNGs above: each
# icon size as a 256-colour and a 32-bit image, the cursor as two colours.
python3 make-winres.py ico velnor.ico velnor-48.png velnor-32.png velnor-24.png velnor-16.png
echo "velnor-{48,32,24,16}.png -> velnor.ico"
python3 make-winres.py ico network.ico network-48.png network-32.png network-16.png
python3 make-winres.py ico netpc.ico netpc-48.png netpc-32.png netpc-16.png
python3 make-winres.py ico brantel-logo.ico brantel-logo.png
echo "network, netpc and brantel-logo PNGs -> their .ico files"
python3 make-winres.py cur hand.cur hand-32.png 6 0
echo "hand-32.png -> hand.cur"
