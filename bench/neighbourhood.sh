#!/usr/bin/env bash
# Times the list fill of a 30-name Samba neighbourhood as the main window does it (rows as they
# are found, their addresses looked up at once), to its first row and to the complete list,
# against the reference client `smbtree`, in the same lab namespaces. Needs root; builds what it
# needs; removes the lab when done.
#   bench/neighbourhood.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
# shellcheck source=bench/common.sh
source bench/common.sh
bench_lab_up tests/lab/smblab.sh bench30

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
v=$(median_of "${velnor[@]}")
r=$(median_of "${reference[@]}")
w=$(median_of "${wins[@]}")
echo "runs: $runs (median wall time, including starting the process in the namespace)"
show_ms "velnor list fill" "${velnor[@]}"
show_ms "  of which to the first row" "${firsts[@]}"
show_ms "  and to the complete list" "${totals[@]}"
show_ms "smbtree -U guest%" "${reference[@]}"
show_ms "smbtree, WINS only (reference)" "${wins[@]}"
awk -v v="$v" -v r="$r" -v w="$w" 'BEGIN {
    printf "ratio velnor / smbtree: %.2f\n", v / r
    printf "ratio velnor / smbtree with WINS only: %.2f\n", v / w }'
