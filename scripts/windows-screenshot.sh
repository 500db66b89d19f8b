#!/usr/bin/env bash
# Takes docs/windows.png: the Windows program under Wine after its load, on a virtual screen in
# a network namespace with the tests' address page. Needs root or user namespaces; builds the
# "windows" preset first.
#   scripts/windows-screenshot.sh [OUT_FILE]
set -euo pipefail
cd "$(dirname "$0")/.."
[[ ${1:-} == --inside ]] || out=$(realpath -m "${1:-docs/windows.png}")
if [[ ${1:-} != --inside ]]; then
    source scripts/setup.sh
    velnor_install_missing g++-mingw-w64-x86-64-posix wine wine64 xvfb openbox imagemagick python3
    velnor_build windows >/dev/null
    if [ "$(id -u)" -eq 0 ]; then
        exec unshare --net --mount --uts --propagation private bash "$0" --inside "$out"
    fi
    exec unshare --user --map-root-user --net --mount --uts --propagation private \
        bash "$0" --inside "$out"
fi
out=$2
source tests/win32/wine_desktop.sh
address_page_network workstation-7
wine_desktop_start
wine build-windows/velnor.exe >/dev/null 2>&1 &
pids+=($!)
wine build-windows/tests/velnor_driver.exe wait-text main lblStatus "Status : Information Retrieved" 60
sleep 1
import -window root "$WORK/full.png"
convert "$WORK/full.png" -trim +repage "$out"
echo "wrote $out"
