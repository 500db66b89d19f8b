#!/usr/bin/env bash
# Checks that natlab.sh builds what its callers rely on and removes all of it again.
# Needs root, coturn, dnsmasq and nft; exits 77 (skipped) otherwise. Takes about 10 s.
set -euo pipefail

DIR=$(cd "$(dirname "$0")" && pwd)
LAB=$DIR/natlab.sh
# shellcheck source=labtesting.sh
. "$DIR/labtesting.sh"

cleanup() {
    "$LAB" down nat >/dev/null 2>&1 || true
    rm -rf "$logs"
}
trap cleanup EXIT

same() { # what got want
    [[ $2 == "$3" ]] && return 0
    printf '  %s:\n    got:  %s\n    want: %s\n' "$1" "$2" "$3" >&2
    return 1
}

# What the client's STUN query prints for SERVERS; "-" when nothing answered.
stun_answer() { # timeout servers...
    local t=$1
    shift
    "$LAB" exec nat "$PY" "$DIR/stun_query.py" -t "$t" "$@" 2>/dev/null || echo -
}

# Nothing answers, and the query gives up within its timeout (and not long after).
stun_silent() { # timeout servers...
    local start took
    start=$(date +%s%N)
    same "STUN answer" "$(stun_answer "$@")" - || return 1
    took=$((($(date +%s%N) - start) / 1000000))
    ((took < ${1%.*} * 1000 + 1500)) || { echo "  took $took ms" >&2; return 1; }
}

# getent in the client: KEY -> "ADDRESS NAME", or its exit status and whether that came fast.
client_getent() { # key
    local out rc=0 start ms
    start=$(date +%s%N)
    out=$("$LAB" exec nat getent hosts "$1" 2>/dev/null) || rc=$?
    ms=$((($(date +%s%N) - start) / 1000000))
    if ((rc == 0)); then
        awk '{ print $1, $2 }' <<<"$out"
    elif ((ms < 1000)); then
        echo "exit $rc, fast"
    else
        echo "exit $rc after $ms ms"
    fi
}

# Every lookup the program makes, and names nothing answers for: quickly refused.
names_table() {
    local key want rc=0
    while read -r key want; do
        same "getent hosts $key" "$(client_getent "$key")" "${want//_/ }" || rc=1
    done <<EOF
$LAB_EXTERNAL_IP ${LAB_EXTERNAL_IP}_$LAB_EXTERNAL_HOST
stun.velnor.test 198.51.100.2_stun.velnor.test
stun2.velnor.test 198.51.100.3_stun2.velnor.test
nothing.velnor.test exit_2,_fast
198.51.100.2 exit_2,_fast
$LAB_CLIENT_IP exit_2,_fast
example.com exit_2,_fast
EOF
    return "$rc"
}

# The client resolves through the lab's name server; the router and the outside host ask
# 127.0.0.1, where nothing listens.
dns_inside() {
    same "client resolv.conf" "$("$LAB" exec nat grep '^nameserver' /etc/resolv.conf)" \
        "nameserver 198.51.100.2" &&
        same "router resolv.conf" "$(ip netns exec vlab-nat-router grep '^nameserver' /etc/resolv.conf)" \
            "nameserver 127.0.0.1"
}

# Only the router's outside address is seen outside: the outside host has no route to the client.
no_route_back() {
    ! ip netns exec vlab-nat-outside ip route get "$LAB_CLIENT_IP" >/dev/null 2>&1
}

status_shows() { # text
    "$LAB" status nat | grep -qF "$1"
}

# Exit status and standard error of an up whose STUN server dies at start.
up_with_dying_stun() {
    local fake=$logs/fake
    mkdir -p "$fake"
    printf '#!/bin/sh\necho "turnserver: cannot start (lab self-test)" >&2\nexit 1\n' \
        >"$fake/turnserver"
    chmod 755 "$fake/turnserver"
    PATH=$fake:$PATH "$LAB" up nat >/dev/null 2>"$logs/dying"
}

# ---- run ---------------------------------------------------------------------------------
check "stun_query.py takes only valid answers" exits_with 0 "$PY" "$DIR/stun_query_test.py"

for tool in turnserver dnsmasq nft; do
    if [[ $EUID -ne 0 ]] || ! command -v "$tool" >/dev/null; then
        echo "skipped: needs root, coturn, dnsmasq and nft (natlab.sh install)"
        exit 77
    fi
done

check "up refuses a non-root caller with 77" refuses_non_root nat

links_before=$(root_links)
start=$(date +%s%N)
rc=0 && "$LAB" up nat >/dev/null 2>"$logs/up" || rc=$?
((rc != 77)) || { echo "skipped: $(tail -n1 "$logs/up")"; exit 77; }
check "up nat" test "$rc" -eq 0
((rc == 0)) || cat "$logs/up"
echo "# up took $((($(date +%s%N) - start) / 1000000)) ms"
check "nothing added to the root network namespace" test "$(root_links)" == "$links_before"
check "status: up" exits_with 0 "$LAB" status nat

load_env nat
check "lab.env: the STUN servers" same LAB_STUN_SERVERS "$LAB_STUN_SERVERS" \
    "stun.velnor.test:3478;stun2.velnor.test:3478"
check "lab.env: client, outside address and name" same "lab.env" \
    "$LAB_CLIENT_IP $LAB_EXTERNAL_IP $LAB_EXTERNAL_HOST" \
    "10.240.0.2 198.51.100.1 nat-outside.velnor.test"
check "lab.env: no computers to list" same LAB_PEERS "$LAB_PEERS" ""
IFS=';' read -ra servers <<<"$LAB_STUN_SERVERS"
check "the client's STUN answer is the router's outside address" \
    same "STUN answer" "$(stun_answer 1.5 "${servers[@]}")" "$LAB_EXTERNAL_IP"
check "the outside host has no route back to the client" no_route_back
check "nothing answers at the second STUN server" stun_silent 1 "${servers[1]}"
check "names and addresses as the client looks them up" names_table
check "DNS stays in the lab" dns_inside

check "stun off" exits_with 0 "$LAB" stun off nat
check "stun off: no server answers, the query gives up in time" stun_silent 1.5 "${servers[@]}"
check "stun off: names still resolve" \
    same "getent" "$(client_getent "$LAB_EXTERNAL_IP")" "$LAB_EXTERNAL_IP $LAB_EXTERNAL_HOST"
check "status: up, STUN server off" status_shows "STUN server off"
check "stun on" exits_with 0 "$LAB" stun on nat
check "stun on: the STUN server answers again" \
    same "STUN answer" "$(stun_answer 1.5 "${servers[@]}")" "$LAB_EXTERNAL_IP"

mapfile -t pids < <(lab_pids nat)
start=$(date +%s%N)
check "down nat" "$LAB" down nat
echo "# down took $((($(date +%s%N) - start) / 1000000)) ms"
check "down leaves nothing" nothing_left nat "${pids[@]}"
check "status after down" exits_with 3 "$LAB" status nat
check "down is idempotent" "$LAB" down nat

check "an up whose STUN server dies fails" exits_with 1 up_with_dying_stun
check "it says why" grep -q "cannot start (lab self-test)" "$logs/dying"
check "a failing up leaves nothing" nothing_left nat
check "root network namespace unchanged after down" test "$(root_links)" == "$links_before"

report
