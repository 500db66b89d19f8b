#!/usr/bin/env bash
# Checks that discolab.sh builds what its callers rely on and removes all of it again.
# Needs root, wsdd, avahi-daemon, Samba and nft; exits 77 (skipped) otherwise. Takes about 90 s.
# Beside the labs runs an avahi-daemon as a desktop runs it.
set -euo pipefail

DIR=$(cd "$(dirname "$0")" && pwd)
LAB=$DIR/discolab.sh
# shellcheck source=labtesting.sh
. "$DIR/labtesting.sh"
layouts="modern dual bench10 rogue"

cleanup() {
    local layout
    for layout in $layouts; do "$LAB" down "$layout" >/dev/null 2>&1 || true; done
    stop_desktop
    rm -rf "$logs"
}
trap cleanup EXIT

same() { # what got want: equal, or both shown
    [[ $2 == "$3" ]] && return 0
    printf '  %s:\n    got:  %s\n    want: %s\n' "$1" "$(echo "$2" | tr '\n' ';')" \
        "$(echo "$3" | tr '\n' ';')" >&2
    return 1
}

value_of() { # NAME "NAME=VALUE ..." -> VALUE
    local pair
    for pair in $2; do [[ ${pair%%=*} != "$1" ]] || { echo "${pair#*=}"; return; }; done
}

# Exactly the expected computers, with their workgroup or domain, address and endpoint: a missing
# peer, a stray one (another lab's) and two peers sharing one endpoint are all faults.
wsd_exact() { # layout
    local got want c name
    got=$("$LAB" exec "$1" "$PY" "$DIR/wsd_query.py" -t 2 | sort)
    want=$(for c in $LAB_WSD_COMPUTERS; do
        name=${c%%/*}
        printf '%s\t%s\t%s\t%s\n' "$name" "${c#*/}" "$(value_of "$name" "$LAB_WSD_PEERS")" \
            "$(value_of "$name" "$LAB_WSD_ENDPOINTS")"
    done | sort)
    same "WS-Discovery computers" "$got" "$want"
}

endpoints_unique() {
    local n
    n=$(for c in $LAB_WSD_ENDPOINTS; do echo "${c#*=}"; done | sort -u | wc -l)
    [[ $n -eq $(wc -w <<<"$LAB_WSD_PEERS") ]]
}

# Exactly the expected DNS-SD instances: type, host name as set, address.
mdns_exact() { # layout
    local got want s host
    got=$("$LAB" exec "$1" "$PY" "$DIR/mdns_query.py" -t 2 | cut -f 1-3 | sort)
    want=$(for s in $LAB_MDNS_SERVICES; do
        host=${s%%:*}
        printf '%s\t%s.local\t%s\n' "${s#*:}" "$host" "$(value_of "$host" "$LAB_MDNS_PEERS")"
    done | sort)
    same "DNS-SD instances" "$got" "$want"
}

# LAB_PEERS is every computer once: the WS-Discovery and mDNS peers, the dual host once.
peers_are_union() {
    same LAB_PEERS "$(tr ' ' '\n' <<<"$LAB_PEERS" | sort)" \
        "$(tr ' ' '\n' <<<"$LAB_WSD_PEERS $LAB_MDNS_PEERS" | sort -u)"
}

# In the rogue layout: the long friendly name precedes the real peer, and reaches the client whole.
longfriend_first() {
    [[ $(value_of LONGFRIEND "$LAB_WSD_ENDPOINTS") < $(value_of WSREAL "$LAB_WSD_ENDPOINTS") ]]
}

friendly_length() { # layout name bytes
    local got
    got=$("$LAB" exec "$1" "$PY" "$DIR/wsd_query.py" -t 2 -n "$(wc -w <<<"$LAB_WSD_PEERS")" \
        --friendly | awk -F'\t' -v n="$2" '$1 == n { print length($5) }')
    same "FriendlyName of $2 in bytes" "$got" "$3"
}

# Every phantom of the responder and its named endpoints reach the client.
flood_heard() { # layout
    local rogue named heard
    rogue=$(value_of LONGFRIEND "$LAB_WSD_PEERS")
    named=$(tr ' ' '\n' <<<"$LAB_WSD_PEERS" | grep -c "=$rogue\$")
    heard=$("$LAB" exec "$1" "$PY" "$DIR/wsd_query.py" -t 1 -v 2>&1 >/dev/null |
        grep -c " from $rogue\$")
    same "endpoints heard from $rogue" "$heard" "$((LAB_WSD_PHANTOMS + named))"
}

# A NetBIOS broadcast for NAME is answered from ADDRESS alone.
netbios_answers() { # layout name address
    same "nmblookup $2" "$("$LAB" exec "$1" nmblookup -B "$LAB_BCAST" "$2" 2>/dev/null |
        grep "$2<00>" | sort -u)" "$3 $2<00>"
}

# wsdd itself in discovery mode, as a second opinion on the WS-Discovery peers.
wsdd_discovers_all() { # layout
    local got want c
    got=$(timeout 7 "$LAB" exec "$1" "$PY" /usr/sbin/wsdd -i eth0 -4 -D -o -v 2>&1 |
        sed -n 's/.*discovered \([^ ]*\) in \([^ ]*\) on \([0-9.]*\)%.*/\1 \2 \3/p' | sort -u) || true
    want=$(for c in $LAB_WSD_COMPUTERS; do
        echo "${c%%/*} ${c#*/} $(value_of "${c%%/*}" "$LAB_WSD_PEERS")"
    done | sort)
    same "wsdd -D" "$got" "$want"
}

found_count() { # layout: WS-Discovery computers and DNS-SD instances the client finds in 1.5 s
    "$LAB" exec "$1" sh -c "'$PY' '$DIR/wsd_query.py' -t 1.5; '$PY' '$DIR/mdns_query.py' -t 1.5" |
        wc -l
}

status_shows() { # layout text
    "$LAB" status "$1" | grep -qF "$2"
}

loss_table_gone() { # layout
    ! ip netns exec "vlab-$1-br" nft list tables 2>/dev/null | grep -q velnor_loss
}

# ---- a desktop's own avahi-daemon -----------------------------------------------------------
# Run as a desktop runs it, beside the labs: its pid file and socket in /run/avahi-daemon. It
# runs in a namespace of the test's own, with a veth pair inside it, so that it reaches nothing.
# An avahi-daemon the machine runs already is the one checked.
desktop_ns=vtest-desktop desktop_avahi="" started=no made_dir=no
start_desktop() {
    ip netns add "$desktop_ns"
    ip -n "$desktop_ns" link set lo up
    ip -n "$desktop_ns" link add d0 type veth peer name d1
    ip -n "$desktop_ns" addr add 192.0.2.1/24 dev d0
    ip -n "$desktop_ns" link set d0 up
    ip -n "$desktop_ns" link set d1 up
    desktop_avahi=$(cat /run/avahi-daemon/pid 2>/dev/null) || true
    [[ -z $desktop_avahi ]] || ! kill -0 "$desktop_avahi" 2>/dev/null || return 0
    [[ -d /run/avahi-daemon ]] || made_dir=yes
    # The system's configuration, but no D-Bus to register with here.
    sed 's/^\[server\]$/&\nenable-dbus=no/' /etc/avahi/avahi-daemon.conf >"$logs/avahi.conf"
    ip netns exec "$desktop_ns" avahi-daemon -D --no-rlimits -f "$logs/avahi.conf"
    for _ in $(seq 50); do [[ -s /run/avahi-daemon/pid ]] && break; sleep 0.1; done
    desktop_avahi=$(cat /run/avahi-daemon/pid)
    started=yes
}

stop_desktop() {
    if [[ $started == yes ]]; then
        kill "$desktop_avahi" 2>/dev/null || true
        for _ in $(seq 30); do [[ -e /proc/$desktop_avahi ]] || break; sleep 0.1; done
        [[ $made_dir == no ]] || rmdir /run/avahi-daemon 2>/dev/null || true
    fi
    ip netns del "$desktop_ns" 2>/dev/null || true
}

# install_lab_packages in the desktop's namespace beside a wsdd already running there (a
# stand-in), the package manager stubbed by COMMAND.
install_beside_desktop() { # command
    # shellcheck disable=SC2016 # expanded by the inner shell
    ip netns exec "$desktop_ns" bash -c 'LAB_TAG=install stub=$2; . "$1"
        (exec -a wsdd sleep 5 &)
        sleep 0.3
        install_packages() { eval "$stub"; }
        install_lab_packages "wsdd avahi-daemon" package' sh "$DIR/labcommon.sh" "$1"
}

desktop_intact() {
    kill -0 "$desktop_avahi" &&
        [[ $(cat /run/avahi-daemon/pid) == "$desktop_avahi" && -S /run/avahi-daemon/socket ]]
}

# ---- run ---------------------------------------------------------------------------------
for tool in wsdd avahi-daemon smbd nft; do
    if [[ $EUID -ne 0 ]] || ! command -v "$tool" >/dev/null; then
        echo "skipped: needs root, wsdd, avahi-daemon, Samba and nft (discolab.sh install)"
        exit 77
    fi
done

check "the query helpers parse what peers send" \
    exits_with 0 "$PY" "$DIR/discolab_helpers_test.py"

check "up refuses a non-root caller with 77" refuses_non_root modern

start_desktop
check "install leaves a desktop's own daemons alone" \
    exits_with 0 install_beside_desktop :
check "install fails on a daemon it started" \
    exits_with 1 install_beside_desktop '(exec -a avahi-daemon sleep 5 &); sleep 0.3'

links_before=$(root_links)
# All layouts at once: they must not see each other's peers.
declare -A up_pid=()
for layout in $layouts; do
    "$LAB" up "$layout" >/dev/null 2>"$logs/$layout" &
    up_pid[$layout]=$!
done
for layout in $layouts; do
    rc=0 && wait "${up_pid[$layout]}" || rc=$?
    ((rc != 77)) || { echo "skipped: $(tail -n1 "$logs/$layout")"; exit 77; }
    check "up $layout" test "$rc" -eq 0
    ((rc == 0)) || cat "$logs/$layout"
done
check "nothing added to the root network namespace" test "$(root_links)" == "$links_before"

load_env modern
check "modern: the peers' names and addresses" same LAB_PEERS "$LAB_PEERS" \
    "WSHOST1=10.232.0.11 WSHOST2=10.232.0.12 WSHOST3=10.232.0.13 WSHOST4=10.232.0.14 \
mdnshost1=10.232.0.21 mdnshost2=10.232.0.22 mdnshost3=10.232.0.23 mdnshost4=10.232.0.24"
check "modern: groups TESTGROUP and LABDOMAIN" test "$LAB_WSD_GROUPS" == "TESTGROUP LABDOMAIN"
check "modern: every peer an endpoint of its own" endpoints_unique
check "modern: WS-Discovery finds exactly the expected computers" wsd_exact modern
check "modern: wsdd -D finds them too" wsdd_discovers_all modern
check "modern: mDNS finds exactly the expected instances" mdns_exact modern
check "modern: LAB_PEERS is every peer once" peers_are_union
check "modern: no SMB browse list" test -z "$(browse_pairs modern)"
check "modern: DNS stays in the namespaces" dns_kept_inside modern

check "modern: loss rejects 101" exits_with 2 "$LAB" loss modern 101
"$LAB" loss modern 100 2>/dev/null
check "modern: with 100 % loss the client finds nothing" test "$(found_count modern)" -eq 0
check "modern: status shows the loss" status_shows modern "100 % multicast loss"
"$LAB" loss modern 0 2>/dev/null
check "modern: loss 0 removes the rule" loss_table_gone modern
check "modern: without loss the client finds all again" \
    test "$(found_count modern)" -eq $(($(wc -w <<<"$LAB_WSD_PEERS $LAB_MDNS_SERVICES")))

load_env dual
check "dual: WS-Discovery finds exactly the expected computers" wsd_exact dual
check "dual: mDNS finds exactly the expected instances" mdns_exact dual
check "dual: LAB_PEERS is every peer once" peers_are_union
check "dual: the peers' names and addresses" same LAB_PEERS "$LAB_PEERS" \
    "WSHOST1=10.234.0.11 mdnshost1=10.234.0.21 BOTHHOST=10.234.0.30"
check "dual: BOTHHOST is the SMB server" test "$LAB_SMB_SERVERS" == "BOTHHOST=10.234.0.30"
check "dual: browse list holds exactly TESTGROUP:BOTHHOST" \
    test "$(browse_pairs dual)" == "TESTGROUP:BOTHHOST"

load_env bench10
check "bench10: WS-Discovery finds exactly the expected computers" wsd_exact bench10
check "bench10: mDNS finds exactly the expected instances" mdns_exact bench10
check "bench10: 20 peers" test "$(wc -w <<<"$LAB_PEERS")" -eq 20

load_env rogue
check "rogue: the rows a correct list shows" same LAB_PEERS "$LAB_PEERS" \
    "SRVR=10.237.0.30 WSREAL=10.237.0.11 LONGFRIEND=10.237.0.67 EVIL_NAMEX=10.237.0.67"
check "rogue: the false claims" same LAB_ROGUE_CLAIMS "$LAB_ROGUE_CLAIMS" \
    "SRVR=10.237.0.66 wsreal=10.237.0.68"
check "rogue: SRVR is the SMB server" test "$LAB_SMB_SERVERS" == "SRVR=10.237.0.30"
check "rogue: WS-Discovery finds exactly the expected computers, liars included" wsd_exact rogue
check "rogue: LONGFRIEND's endpoint sorts before WSREAL's" longfriend_first
check "rogue: LONGFRIEND's friendly name arrives whole" friendly_length rogue LONGFRIEND 5000
check "rogue: the client hears every phantom of the flood" flood_heard rogue
check "rogue: mDNS finds exactly the expected instances" mdns_exact rogue
check "rogue: browse list holds exactly SRVR and the two names the liar announced" \
    same "browse list" "$(browse_pairs rogue)" \
    $'TESTGROUP:0X7F.1\nTESTGROUP:EVIL|SMB\e\nTESTGROUP:SRVR'
check "rogue: only the Samba server answers to SRVR's NetBIOS name" \
    netbios_answers rogue SRVR 10.237.0.30

for layout in $layouts; do
    mapfile -t pids < <(lab_pids "$layout")
    check "down $layout" "$LAB" down "$layout"
    check "down $layout leaves nothing" nothing_left "$layout" "${pids[@]}"
    check "status after down $layout" exits_with 3 "$LAB" status "$layout"
done
check "down is idempotent" "$LAB" down modern

check "a failing up fails" exits_with 1 env DISCOLAB_UP_TIMEOUT=3 "$LAB" up dual
check "a failing up leaves nothing" nothing_left dual
check "root network namespace unchanged after down" test "$(root_links)" == "$links_before"
check "the desktop's avahi-daemon outlives the labs, its pid file and socket too" desktop_intact

report
