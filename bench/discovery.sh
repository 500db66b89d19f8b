#!/usr/bin/env bash
# Times a refresh of the neighbourhood (the walk and the address of every computer) with SMB
# alone and with all three providers (SMB, WS-Discovery, mDNS), among 10 WS-Discovery and 10
# mDNS peers; then the whole --report of the Linux program and of the Windows program under
# Wine in the same lab. Needs root; builds what it needs; removes the lab when done.
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

# The Windows program under Wine beside the Linux program, the whole --report (start, load,
# walk, report) in the same lab; Wine's own start and end of a program is --version's time.
command -v wine >/dev/null || { echo "(no Wine: the Windows program is not timed)"; exit 0; }
velnor_build windows >/dev/null
prefix=$(mktemp -d)
# shellcheck disable=SC2064 # the names are fixed now
trap "rm -rf '$prefix'; '$BENCH_LAB' down '$BENCH_LAYOUT' >/dev/null 2>&1 || true" EXIT
wine_in_lab() {
    bench_exec env -u DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$@"
}
wine_in_lab bash -c 'wineboot -i </dev/null >/dev/null 2>&1
    wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w'
wine_in_lab wineserver -p
found_in() { tr -d '\r' <"$1" | sed -n '/^Network IPs$/,$p' | tail -n +2 | grep -c -- ' - [0-9]'; }
report=$(mktemp)
for program in linux windows wine; do
    times=() found=()
    for _ in $(seq "$runs"); do
        case $program in
        linux) times+=("$(ms_of bench_exec sh -c "./build/velnor --report >'$report'")") ;;
        windows) times+=("$(ms_of wine_in_lab sh -c "wine build-windows/velnor.exe --report >'$report'")") ;;
        wine) times+=("$(ms_of wine_in_lab wine build-windows/velnor.exe --version)") ;;
        esac
        [ "$program" = wine ] || found+=("$(found_in "$report")")
    done
    case $program in
    linux) label="velnor --report (Linux)" ;;
    windows) label="velnor.exe --report (Wine)" ;;
    wine) label="velnor.exe --version (Wine)" ;;
    esac
    show_ms "$label" "${times[@]}"
    [ ${#found[@]} -eq 0 ] || echo "  computers with an address: ${found[*]}"
done
wine_in_lab wineserver -k || true
rm -f "$report"
