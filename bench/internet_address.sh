#!/usr/bin/env bash
# Times the Internet address of a build without an address page, behind the NAT lab's router:
# from the program's exec to the Internet address on screen (STUN, then the reverse name) and to
# "Information Retrieved", with the real program on Qt's offscreen platform; then the same with
# the STUN server stopped, until "Internet IP: Not Connected". Needs root; builds what it needs
# (the default preset, which names the lab's STUN servers); removes the lab when done.
#   bench/internet_address.sh [RUNS]
set -euo pipefail
# shellcheck source=bench/common.sh
source "$(dirname "$0")/common.sh"
bench_in_lab tests/lab/natlab.sh nat 7 "${1:-}"

# One start: "internet_ms retrieved_ms caption" of velnor_bench_load, clocked in the namespace.
start() {
    # shellcheck disable=SC2016 # expanded in the namespace
    bench_exec env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen \
        bash -c 'exec ./build/velnor_bench_load "${EPOCHREALTIME/./}"' 2>/dev/null |
        awk '{ caption = $0; sub(/.* internet /, "", caption); print $10, $2, caption }'
}

for state in on off; do
    tests/lab/natlab.sh stun "$state" nat
    internet=() retrieved=() captions=()
    start >/dev/null || true # unrecorded: the first start reads the libraries from disk
    for _ in $(seq "$runs"); do
        read -r i r caption < <(start)
        internet+=("$i") retrieved+=("$r") captions+=("$caption")
    done
    echo "STUN server $state, $runs runs (median, from the exec):"
    show_ms "  to the Internet address" "${internet[@]}"
    show_ms "  to Information Retrieved" "${retrieved[@]}"
    printf '  shown: %s\n' "$(printf '%s\n' "${captions[@]}" | sort | uniq -c | xargs)"
done
tests/lab/natlab.sh stun on nat
