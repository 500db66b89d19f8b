#!/usr/bin/env bash
# Times a refresh of the neighbourhood (the walk and the address of every computer) with SMB
# alone and with all three providers (SMB, WS-Discovery, mDNS), among 10 WS-Discovery and 10
# mDNS peers. Needs root; builds what it needs; removes the lab when done.
#   bench/discovery.sh [RUNS]
set -euo pipefail
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
bench_in_lab tests/lab/discolab.sh bench10 5 "${1:-}"

walk() { # walk smb|all: "total_ms found" of one refresh
    bench_exec ./build/bench/velnor_bench_walk "$1" 2>/dev/null |
        awk '/^servers/ { print $8, $2 }'
}

for providers in smb all; do
    times=() found=()
    for _ in $(seq "$runs"); do
        read -r ms count < <(walk "$providers" || echo "0 0")
        times+=("$ms") found+=("$count")
    done
    printf '%-4s providers: median %s ms over %s runs (%s); computers found: %s\n' \
        "$providers" "$(median_of "${times[@]}")" "$runs" "${times[*]}" "${found[*]}"
done
