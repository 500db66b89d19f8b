#!/usr/bin/env bash
# Computers found per refresh on a lossy link: the discovery lab's "modern" layout (4
# WS-Discovery and 4 mDNS peers) with half of the multicast dropped on the client's link, both
# ways; each run one refresh of the neighbourhood (the walk and every address), with its time.
# Needs root; builds what it needs; removes the lab when done.
#   bench/lossy.sh [RUNS]     default 10, at least 8
set -euo pipefail
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
bench_in_lab tests/lab/discolab.sh modern 10 "${1:-}"
((runs >= 8)) || { echo "usage: bench/lossy.sh [RUNS >= 8]" >&2; exit 2; }
tests/lab/discolab.sh loss modern 50 >/dev/null

found=() times=()
for _ in $(seq "$runs"); do
    read -r ms count < <(bench_exec ./build/bench/velnor_bench_walk all 2>/dev/null |
        awk '/^servers/ { print $8, $2 }' || echo "0 0")
    times+=("$ms") found+=("$count")
done
complete=$(printf '%s\n' "${found[@]}" | grep -cx 8 || true)
echo "runs: $runs (50 % multicast loss, 8 computers in the lab)"
echo "computers found per refresh: ${found[*]} (all 8 in $complete of $runs)"
show_ms "refresh" "${times[@]}"
