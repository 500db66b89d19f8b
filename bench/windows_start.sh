#!/usr/bin/env bash
# The Windows program under Wine: start to visible window, velnor.exe against a bare Win32 window
# of the same size (bench/bare_win32_window.cpp), run by run in turn, on Xvfb in a private network
# namespace with loopback only (the program starts its load as it starts). Times are taken by a
# Windows program polling every 2 ms for the window (velnor_driver launch), with the wineserver
# already running. Also the sizes of the executable and the installer. Needs root or user
# namespaces; installs and builds what it needs.
#   bench/windows_start.sh [RUNS]     runs of each program (default 9, at least 7)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/common.sh
source bench/common.sh

if [[ ${1:-} != --inside ]]; then
    bench_runs bench/windows_start.sh "${1:-}"
    source scripts/setup.sh
    velnor_install_missing g++-mingw-w64-x86-64-posix wine wine64 xvfb openbox wixl
    velnor_build windows >/dev/null
    cmake --workflow --preset windows-package >/dev/null
    bench_sandbox bash bench/windows_start.sh --inside "$runs"
    exit
fi

# ---- inside the namespace ----------------------------------------------------------------
runs=$2
build=$PWD/build-windows
source tests/win32/wine_desktop.sh
wine_desktop_start
driver() { wine "$build/tests/velnor_driver.exe" "$@"; }
# One start: the milliseconds to the visible window, then the program closed and gone.
# (Into a file: the program keeps the driver's output open, and a pipe would wait for it.)
start() { # exe class
    driver launch "$(winepath -w "$1" 2>/dev/null)" "$2" 60 >"$WORK/took"
    driver close-within "$2" cmdClose 10000 >/dev/null
    cat "$WORK/took"
}
start "$build/velnor.exe" main >/dev/null # the first start after booting the prefix is slower
velnor=() bare=()
for _ in $(seq "$runs"); do
    velnor+=("$(start "$build/velnor.exe" main)")
    bare+=("$(start "$build/tests/velnor_bare_window.exe" VelnorBare)")
done
echo "runs: $runs (start to visible window under Wine 8 on Xvfb)"
show_ms "velnor.exe" "${velnor[@]}"
show_ms "bare Win32 window" "${bare[@]}"
awk -v a="$(median_of "${velnor[@]}")" -v b="$(median_of "${bare[@]}")" \
    'BEGIN { printf "ratio of the medians: %.2f\n", a / b }'
package_dir="build-windows-package"
printf 'velnor.exe (windows-package, stripped): %s bytes\n' "$(stat -c %s "$package_dir/velnor.exe")"
printf 'installer: %s bytes\n' "$(stat -c %s "$package_dir"/velnor-*-x64.msi)"
