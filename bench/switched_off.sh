#!/usr/bin/env bash
# Times the walk of a Samba neighbourhood whose browse list names ten computers that are switched
# off (and four live names), as the main window fills its list (the enumerator, then the address
# of every server), against the reference client `smbtree`, in the lab layout switchedoff.
# Needs root; builds what it needs; removes the lab when done. The master names the dead
# computers for 36 minutes after the lab is up (tests/lab/README.md); every run checks that
# the walk found all 14 names and the addresses of the 4 live ones.
#   bench/switched_off.sh [RUNS]    default 5
set -euo pipefail
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
bench_in_lab tests/lab/smblab.sh switchedoff 5 "${1:-}"

# "MS FOUND/RESOLVED FIRST_ROW_MS TOTAL_MS" of one velnor list fill: wall time as ms_of takes it,
# then its own count and times to the first row and to the complete list.
walk() {
    local start end summary
    start=$(date +%s%N)
    summary=$(bench_exec ./build/bench/velnor_bench_walk 2>/dev/null | tail -n 1 || true)
    end=$(date +%s%N)
    echo "$(((end - start) / 1000000))" \
        "$(awk '{ print $2 "/" $4, $6, $8 } END { if (!NR) print "0/0 0 0" }' <<<"$summary")"
}

# Every name of the browse list, and the live ones with an address.
# shellcheck disable=SC2016 # expanded in the namespace
want=$(bench_exec sh -c 'set -- $LAB_MEMBERS; n=$#; set -- $LAB_SERVERS; echo "$n/$#"')
velnor=() reference=() servers=() found=() firsts=() totals=()
for _ in $(seq "$runs"); do
    read -r ms counts first_ms total_ms < <(walk)
    velnor+=("$ms") found+=("$counts") firsts+=("$first_ms") totals+=("$total_ms")
    # smbtree lists the shares server by server and stops, failing, at the first it cannot
    # reach (OFF01, the third name); -S lists the servers only.
    reference+=("$(ms_of bench_exec smbtree -U guest%)")
    servers+=("$(ms_of bench_exec smbtree -S -U guest%)")
done
# The whole program, from its exec until the status line says the information is retrieved.
retrieved=()
for _ in $(seq "$runs"); do
    # shellcheck disable=SC2016 # expanded in the namespace
    retrieved+=("$(bench_exec env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
        bash -c 'exec ./build/velnor_bench_load "${EPOCHREALTIME/./}"' 2>/dev/null |
        awk '{ print $2 }')")
done
show_fill_beside_smbtree
show_ms "smbtree -S -U guest% (no shares)" "${servers[@]}"
show_ms "program start to Information Retrieved" "${retrieved[@]}"
echo "velnor names found/resolved in each run: ${found[*]} (a complete list: $want)"
for f in "${found[@]}"; do
    [[ $f == "$want" ]] || echo "WARNING: a run found $f, not $want: were the dead names still listed?"
done
awk -v v="$(median_of "${velnor[@]}")" -v r="$(median_of "${reference[@]}")" \
    -v s="$(median_of "${servers[@]}")" 'BEGIN {
    printf "ratio velnor / smbtree: %.2f\n", v / r
    printf "ratio velnor / smbtree -S: %.2f\n", v / s }'
