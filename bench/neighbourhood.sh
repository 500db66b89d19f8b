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

ms_of() { # ms_of CMD...: wall time of one run in milliseconds
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

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
v=$(printf '%s\n' "${velnor[@]}" | median)
r=$(printf '%s\n' "${reference[@]}" | median)
w=$(printf '%s\n' "${wins[@]}" | median)
echo "runs: $runs (median wall time, including starting the process in the namespace)"
echo "velnor list fill:               ${v} ms   (${velnor[*]})"
echo "  of which to the first row:     $(printf '%s\n' "${firsts[@]}" | median) ms   (${firsts[*]})"
echo "  and to the complete list:      $(printf '%s\n' "${totals[@]}" | median) ms   (${totals[*]})"
echo "smbtree -U guest%:              ${r} ms   (${reference[*]})"
echo "smbtree, WINS only (reference): ${w} ms   (${wins[*]})"
awk -v v="$v" -v r="$r" -v w="$w" 'BEGIN {
    printf "ratio velnor / smbtree: %.2f\n", v / r
    printf "ratio velnor / smbtree with WINS only: %.2f\n", v / w }'
