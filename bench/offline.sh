#!/usr/bin/env bash
# Times the program's start on a machine without a network: from the exec to the status line
# reading "Status : Information Retrieved" (the whole load sequence: the address page, the
# neighbourhood, the local address), with the real services and the main window, on Qt's
# offscreen platform, each run in a fresh private network namespace with loopback only. With
# --link the namespace also has one link (192.0.2.10/24) with nothing on it: discovery and
# the name queries then have a network to ask, and no peer answers. Needs root; installs and
# builds what it needs.
#   bench/offline.sh [--link] [RUNS]     default 9, at least 7
set -euo pipefail
cd "$(dirname "$0")/.."
link=""
if [[ ${1:-} == --link ]]; then
    link=1
    shift
fi
runs=${1:-9}
if ! [[ $runs =~ ^[0-9]+$ ]] || ((runs < 7)); then
    echo "usage: bench/offline.sh [--link] [RUNS >= 7]" >&2
    exit 2
fi
# shellcheck source=bench/common.sh
source bench/common.sh
# shellcheck disable=SC2119
bench_build

# One start: velnor_bench_load's line. The clock is read in the namespace, just before the exec.
start() {
    # shellcheck disable=SC2016 # expanded by the shell in the namespace
    bench_sandbox env -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS \
        QT_QPA_PLATFORM=offscreen LINK="$link" \
        bash -c 'if [ -n "$LINK" ]; then
                ip link add q0 type veth peer name q1
                ip addr add 192.0.2.10/24 dev q0
                ip link set q0 up
                ip link set q1 up
            fi
            exec ./build/velnor_bench_load "${EPOCHREALTIME/./}"' 2>>"$errors"
}
errors=$(mktemp /tmp/velnor-bench-offline.XXXXXX)
trap 'rm -f "$errors"' EXIT

# Unrecorded: the first start reads the libraries and fonts from disk.
start >/dev/null || true
retrieved=() main=() shown=() returned=() boxes=()
for _ in $(seq "$runs"); do
    line=$(start) || {
        echo "offline.sh: velnor_bench_load failed:" >&2
        cat "$errors" >&2
        exit 1
    }
    read -r _ r _ m _ s _ l _ _ _ b _ <<<"$line"
    retrieved+=("$r") main+=("$m") shown+=("$s") returned+=("$l") boxes+=("$b")
done

echo "runs: $runs (median, after one unrecorded start; offscreen platform, network namespace" \
    "with loopback only${link:+ and one silent link}; from just before the exec)"
show_ms "status \"Information Retrieved\"" "${retrieved[@]}"
show_ms "main() entered" "${main[@]}"
show_ms "window shown (exposed)" "${shown[@]}"
show_ms "Load() returned" "${returned[@]}"
echo "message boxes closed by the bench: ${boxes[*]}"
awk -v r="$(median_of "${retrieved[@]}")" -v s="$(median_of "${shown[@]}")" 'BEGIN {
    if (s > 0) printf "ratio information retrieved / window shown: %.2f\n", r / s }'
