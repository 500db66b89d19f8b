#!/usr/bin/env bash
# Times the list fill of a 30-name Samba neighbourhood as the main window does it (rows as they
# are found, their addresses looked up at once), to its first row and to the complete list,
# against the reference client `smbtree`, in the same lab namespaces. Needs root; builds what it
# needs; removes the lab when done.
#   bench/neighbourhood.sh [RUNS]
set -euo pipefail
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
bench_in_lab tests/lab/smblab.sh bench30 5 "${1:-}"

bench_exec ./build/bench/velnor_bench_walk | tail -n 1
velnor=() reference=() wins=() firsts=() totals=()
for _ in $(seq "$runs"); do
    velnor+=("$(ms_of bench_exec ./build/bench/velnor_bench_walk)")
    # Its own times, from its start: to the first row and to the complete list.
    read -r first total < <(bench_exec ./build/bench/velnor_bench_walk 2>/dev/null |
        awk '/^servers/ { print $6, $8 }')
    firsts+=("$first") totals+=("$total")
    reference+=("$(ms_of bench_exec smbtree -U guest%)")
    # The same client told to ask the WINS server only, never to broadcast.
    # shellcheck disable=SC2016 # expanded in the namespace
    wins+=("$(ms_of bench_exec sh -c 'smbtree -s "$LAB_CLIENT_SMBCONF_WINS_ONLY" -U guest%')")
done
show_fill_beside_smbtree
show_ms "smbtree, WINS only (reference)" "${wins[@]}"
awk -v v="$(median_of "${velnor[@]}")" -v r="$(median_of "${reference[@]}")" \
    -v w="$(median_of "${wins[@]}")" 'BEGIN {
    printf "ratio velnor / smbtree: %.2f\n", v / r
    printf "ratio velnor / smbtree with WINS only: %.2f\n", v / w }'
