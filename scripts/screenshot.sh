#!/usr/bin/env bash
# Takes the README's screenshots: the main window after its load sequence in the Samba lab's
# client namespace (so it lists a real neighbourhood), and the About window over it. Needs
# root. A demonstration address page is served on the client's loopback; nothing leaves the
# machine.
#   scripts/screenshot.sh [OUT_DIR]
# A third picture shows the program in the discovery lab, a network without a browse list.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-docs}")
lab=tests/lab/smblab.sh
source scripts/setup.sh
velnor_install_missing xvfb xauth openbox xdotool imagemagick python3
"$lab" install
tests/lab/discolab.sh install
cmake -S . -B build-screenshot -G Ninja -DVELNOR_BUILD_TESTS=OFF \
    -DVELNOR_WEB_ADDRESS_1=http://127.0.0.1:18080 >/dev/null
cmake --build build-screenshot
trap '"$lab" down basic >/dev/null 2>&1 || true; tests/lab/discolab.sh down modern >/dev/null 2>&1 || true' EXIT
"$lab" up basic >/dev/null

# For both pictures, in a lab's client namespace: Velnor on a virtual screen with a window
# manager, and a trimmed picture of that screen.
# shellcheck disable=SC2016 # expanded there
readonly desktop='
  show_velnor() { # display
    Xvfb ":$1" -screen 0 600x520x24 -nolisten tcp >/dev/null 2>&1 &
    sleep 1
    export DISPLAY=":$1"
    openbox >/dev/null 2>&1 &
    sleep 1
    ./build-screenshot/velnor >/dev/null 2>&1 &
    sleep 6
  }
  shoot() { import -window root "$1.full.png"; convert "$1.full.png" -trim +repage "$1"; rm "$1.full.png"; }
'

"$lab" exec basic unshare --uts -- bash -euo pipefail -c "$desktop"'
  out=$1
  hostname workstation-7
  ip link set lo up
  www=$(mktemp -d)
  trap "kill \$(jobs -p) 2>/dev/null; rm -rf $www" EXIT
  mkdir -p "$www/Velnor"
  printf "<html><body><b>Your IP: 203.0.113.7</b><br><b>Host: dsl-203-0-113-7.isp.example</b></body></html>\n" \
      >"$www/Velnor/index.html"
  python3 -m http.server 18080 --bind 127.0.0.1 --directory "$www" >/dev/null 2>&1 &
  show_velnor 57
  shoot "$out/screenshot.png"
  xdotool search --name "^Velnor\$" windowactivate --sync >/dev/null 2>&1 || true
  xdotool key alt+a
  sleep 2
  shoot "$out/about.png"
  echo "wrote $out/screenshot.png and $out/about.png"
' screenshot "$out"

"$lab" down basic >/dev/null
tests/lab/discolab.sh up modern >/dev/null
tests/lab/discolab.sh exec modern bash -euo pipefail -c "$desktop"'
  out=$1
  trap "kill \$(jobs -p) 2>/dev/null" EXIT
  show_velnor 58
  shoot "$out"
  echo "wrote $out"
' screenshot "$out/modern.png"
