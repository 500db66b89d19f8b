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
