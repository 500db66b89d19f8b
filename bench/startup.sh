#!/usr/bin/env bash
# Times the start of the program until the X server maps its window, and until the program has
# drawn into it, against an empty Qt window of the same client size (378 x 396), run by run in
# turn, under Xvfb. Everything runs in a
# private network namespace with loopback only: the program starts to fill its list as it
# starts, and nothing it sends may leave the machine. Needs root; installs and builds what it
# needs. Also tells how many shared objects each process has loaded when its window is mapped.
#   bench/startup.sh [RUNS]     runs of each program (default 9, at least 7)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/common.sh
source bench/common.sh

if [[ ${1:-} != --inside ]]; then
    bench_runs bench/startup.sh "${1:-}"
    bench_build xvfb libx11-dev libxdamage-dev
    [[ -x build/bench/velnor_bench_mapped ]] || {
        echo "startup.sh: build/bench/velnor_bench_mapped was not built (Xlib missing?)" >&2
        exit 1
    }
    bench_sandbox bash bench/startup.sh --inside "$runs"
    exit
fi

# ---- inside the namespace ----------------------------------------------------------------
runs=$2
tmp=$(mktemp -d /tmp/velnor-bench-startup.XXXXXX)
# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do
    [[ -s $tmp/display ]] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
done
[[ -s $tmp/display ]] || {
    echo "startup.sh: Xvfb did not start:" >&2
    cat "$tmp/xvfb.log" >&2
    exit 1
}
DISPLAY=:$(<"$tmp/display")
export DISPLAY QT_QPA_PLATFORM=xcb
# No desktop session to reach: the same start for both programs wherever this runs.
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER

velnor=./build/velnor
bare=./build/bench/velnor_bench_bare_window
mapped() { # program: "mapped-ms shared-objects drawn-ms" of one start
    ./build/bench/velnor_bench_mapped -t 30 "$1" 2>>"$tmp/errors" | awk '{ print $2, $4, $8 }'
}

# One unrecorded start of each first: the first start reads the libraries and fonts from disk.
mapped "$velnor" >/dev/null
mapped "$bare" >/dev/null

v_ms=() v_so=() v_dr=() b_ms=() b_so=() b_dr=()
for i in $(seq "$runs"); do
    # Which program goes first alternates too, so that neither always follows the other.
    order=("$velnor" "$bare")
    ((i % 2)) || order=("$bare" "$velnor")
    for program in "${order[@]}"; do
        read -r ms so drawn < <(mapped "$program") || {
            echo "startup.sh: $program mapped no window:" >&2
            cat "$tmp/errors" >&2
            exit 1
        }
        if [[ $program == "$velnor" ]]; then
            v_ms+=("$ms") v_so+=("$so") v_dr+=("$drawn")
        else
            b_ms+=("$ms") b_so+=("$so") b_dr+=("$drawn")
        fi
    done
done

v=$(median_of "${v_ms[@]}")
b=$(median_of "${b_ms[@]}")
vd=$(median_of "${v_dr[@]}")
bd=$(median_of "${b_dr[@]}")
echo "runs: $runs of each, in turn, after one unrecorded start of each; Xvfb $DISPLAY, network" \
    "namespace with loopback only; time from fork to the MapNotify of the top-level window"
show_ms "mapped, velnor" "${v_ms[@]}"
show_ms "mapped, bare window" "${b_ms[@]}"
show_ms "drawn, velnor" "${v_dr[@]}"
show_ms "drawn, bare window" "${b_dr[@]}"
echo "shared objects loaded when mapped: velnor $(median_of "${v_so[@]}")," \
    "bare window $(median_of "${b_so[@]}")"
awk -v v="$v" -v b="$b" -v vd="$vd" -v bd="$bd" 'BEGIN {
    printf "ratio velnor / bare window, mapped: %.2f\n", v / b
    printf "ratio velnor / bare window, drawn: %.2f\n", vd / bd }'
