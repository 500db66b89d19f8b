#!/usr/bin/env bash
# Times the walk of a 30-name Samba neighbourhood, as the main window fills its list (the
# enumerator, then the address of every server), against the reference client `smbtree`, in the
# same lab namespaces. Needs root; builds what it needs; removes the lab when done.
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
velnor=() reference=() wins=()
for _ in $(seq "$runs"); do
    velnor+=("$(ms_of bench_exec ./build/bench/velnor_bench_walk)")
    reference+=("$(ms_of bench_exec smbtree -U guest%)")
    # The same client told to ask the WINS server only, never to broadcast.
    wins+=("$(ms_of bench_exec sh -c 'smbtree -s "$LAB_CLIENT_SMBCONF_WINS_ONLY" -U guest%')")
done
v=$(printf '%s\n' "${velnor[@]}" | median)
r=$(printf '%s\n' "${reference[@]}" | median)
w=$(printf '%s\n' "${wins[@]}" | median)
echo "runs: $runs (median wall time, including starting the process in the namespace)"
echo "velnor walk + resolve:          ${v} ms   (${velnor[*]})"
echo "smbtree -U guest%:              ${r} ms   (${reference[*]})"
echo "smbtree, WINS only (reference): ${w} ms   (${wins[*]})"
awk -v v="$v" -v r="$r" -v w="$w" 'BEGIN {
    printf "ratio velnor / smbtree: %.2f\n", v / r
    printf "ratio velnor / smbtree with WINS only: %.2f\n", v / w }'
