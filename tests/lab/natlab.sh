#!/usr/bin/env bash
# Velnor's NAT lab: a client behind a masquerading router and, outside it, a real STUN server
# (coturn's turnserver) and a name server (dnsmasq) that gives the router's outside address a
# name. Nothing touches the real network: the client, the router and the outside host are network
# namespaces joined by veth pairs made inside them, and the outside network ends at that host.
#
#   natlab.sh up nat            build the lab; returns once a STUN query from the client gets
#                               the router's outside address back and its PTR lookup gives the name
#   natlab.sh down nat          remove it (idempotent)
#   natlab.sh exec nat CMD      run CMD in the client namespace, lab.env exported
#   natlab.sh status nat        print whether it is up (exit 0 up, 3 otherwise)
#   natlab.sh stun off|on nat   stop the STUN server alone, or start it again
#   natlab.sh install           install coturn, dnsmasq-base, nftables, iproute2, python3
#                               (no daemon started)
#
# Exit 77 from up/exec/stun (and down, if a lab is there): cannot run here (not root, tools
# missing, no namespaces); callers report SKIPPED. NATLAB_UP_TIMEOUT (seconds, default 30)
# bounds `up` and `stun on`.
set -euo pipefail

readonly LAB_TAG=natlab LAB_COMMANDS="up exec stun"
# shellcheck source=labcommon.sh
. "$(dirname "${BASH_SOURCE[0]}")/labcommon.sh"

# up takes about a second; the rest is for a slow machine.
readonly UP_TIMEOUT=${NATLAB_UP_TIMEOUT:-30}
readonly LAYOUTS="nat"
readonly STUN_QUERY=$HERE/stun_query.py
TOOLS=(ip unshare nft turnserver dnsmasq getent "$PYTHON")

usage() {
    cat >&2 <<EOF
usage: natlab.sh up|down|status LAYOUT
       natlab.sh exec LAYOUT CMD [ARGS...]
       natlab.sh stun off|on LAYOUT
       natlab.sh install
layouts: $LAYOUTS
EOF
    exit 2
}

# ---- layout -----------------------------------------------------------------------------
declare -A IP=()
HOSTS=()

# The client on 10.240.0.0/24 behind the router, whose outside address is all the outside
# network sees of it. The second STUN server's address belongs to no host: nothing answers.
layout_nat() {
    NET=10.240.0
    HOSTS=(router outside)
    IP=([router]=$NET.1 [outside]=198.51.100.2)
    EXTERNAL_IP=198.51.100.1
    EXTERNAL_HOST=nat-outside.velnor.test
    DNS_IP=${IP[outside]}
    STUN_PORT=3478
    STUN_NAME=stun.velnor.test
    DEAD_STUN_NAME=stun2.velnor.test
    DEAD_STUN_IP=198.51.100.3
}

load_layout() {
    lab_load_layout "$1" 2
    ROUTER_NS=$(host_ns router)
    OUTSIDE_NS=$(host_ns outside)
    STUN_OFF=$RUN_DIR/stun-off
}

# ---- network ----------------------------------------------------------------------------
# A veth pair made in NS1 with its peer moved straight into NS2: nothing ever exists in the
# root namespace.
link_ns() { # ns1 if1 ip1 ns2 if2 ip2
    ip -n "$1" link add "$2" type veth peer name "$5" netns "$4"
    ip -n "$1" addr add "$3/24" dev "$2"
    ip -n "$4" addr add "$6/24" dev "$5"
    ip -n "$1" link set "$2" up
    ip -n "$4" link set "$5" up
}

# Replaces labcommon's bridge: client -- router -- outside host. The outside host has no route
# back to the client's subnet, so without the masquerade no answer would reach the client.
build_network() {
    make_client_ns
    make_ns "$ROUTER_NS"
    make_ns "$OUTSIDE_NS"
    echo "nameserver $DNS_IP" >"/etc/netns/$CLIENT_NS/resolv.conf"
    link_ns "$ROUTER_NS" in0 "${IP[router]}" "$CLIENT_NS" eth0 "$CLIENT_IP"
    link_ns "$ROUTER_NS" out0 "$EXTERNAL_IP" "$OUTSIDE_NS" eth0 "${IP[outside]}"
    ip -n "$CLIENT_NS" route add default via "${IP[router]}"
    ip netns exec "$ROUTER_NS" sysctl -qw net.ipv4.ip_forward=1
    # nft rejects the chain written on one line.
    ip netns exec "$ROUTER_NS" nft -f - <<'EOF'
table ip nat {
    chain post {
        type nat hook postrouting priority 100;
        oifname "out0" masquerade
    }
}
EOF
}

# ---- daemons ----------------------------------------------------------------------------
# STUN only: no configuration file (an empty one, so that /etc/turnserver.conf is not read),
# no database, no TLS, no relay; the pid file in the run directory rather than /var/run.
start_stun() {
    local dir=$RUN_DIR/outside
    mkdir -p "$dir"
    : >"$dir/turnserver.conf"
    start_daemon "$OUTSIDE_NS" outside turnserver true \
        turnserver -c "$dir/turnserver.conf" --stun-only --listening-ip="${IP[outside]}" \
        --listening-port="$STUN_PORT" --no-cli --no-tls --no-dtls --log-file=stdout \
        --simple-log --pidfile="$dir/turnserver.pid" --db="$dir/turndb"
}

# The lab's only name server. Its zones are velnor.test and the outside network's reverse zone:
# there an unknown name is NXDOMAIN, an AAAA question for a STUN server's name NODATA (the
# --local of each name does that; without it dnsmasq refuses AAAA). Any other name finds no
# upstream server and is REFUSED at once. --address rather than --host-record: no PTR records
# for the STUN servers' addresses, only the one the client looks up.
start_dns() {
    local zone
    zone=$(reverse_name "$EXTERNAL_IP")
    start_daemon "$OUTSIDE_NS" outside dnsmasq true \
        dnsmasq --no-daemon --conf-file=/dev/null --no-resolv --no-hosts --bind-interfaces \
        --listen-address="$DNS_IP" --log-facility=- --log-queries --pid-file= \
        --local=/velnor.test/ --local="/${zone#*.}/" \
        --local="/$STUN_NAME/" --address="/$STUN_NAME/${IP[outside]}" \
        --local="/$DEAD_STUN_NAME/" --address="/$DEAD_STUN_NAME/$DEAD_STUN_IP" \
        --ptr-record="$zone,$EXTERNAL_HOST"
}

reverse_name() { # a.b.c.d -> d.c.b.a.in-addr.arpa
    local a b c d
    IFS=. read -r a b c d <<<"$1"
    printf '%s.%s.%s.%s.in-addr.arpa' "$d" "$c" "$b" "$a"
}

# ---- what the client sees ---------------------------------------------------------------
client_stun_answer() {
    client_run "$PYTHON" "$STUN_QUERY" -t 1 "$STUN_NAME:$STUN_PORT" \
        2>>"$CLIENT_DIR/log/stun_query.err" || true
}

client_sees() {
    printf 'STUN answer %s\n' "$(client_stun_answer)"
    printf 'PTR %s\n' "$(client_run getent hosts "$EXTERNAL_IP" | awk '{ print $2 }')"
}

wait_until_seen() { # deadline(us)
    printf '%s\n' "STUN answer $EXTERNAL_IP" "PTR $EXTERNAL_HOST" |
        wait_for "$1" 0.1 "the client does not get" ';' client_sees
}

# ---- lab.env ----------------------------------------------------------------------------
write_env() {
    write_lab_env <<EOF
LAB_ROUTER_IP=${IP[router]}
LAB_NAMESERVER=$DNS_IP
LAB_STUN_SERVERS="$STUN_NAME:$STUN_PORT;$DEAD_STUN_NAME:$STUN_PORT"
LAB_STUN_IP=${IP[outside]}
LAB_DEAD_STUN_IP=$DEAD_STUN_IP
LAB_EXTERNAL_IP=$EXTERNAL_IP
LAB_EXTERNAL_HOST=$EXTERNAL_HOST
LAB_STUN_QUERY=$STUN_QUERY
LAB_PEERS=""
LAB_NO_ADDRESS=""
EOF
}

# ---- commands ---------------------------------------------------------------------------
cmd_up() {
    local start deadline
    start=$(now)
    deadline=$((start + UP_TIMEOUT * 1000000))
    lab_begin_up
    write_client_conf WORKGROUP
    start_dns
    start_stun
    wait_until_seen "$deadline"
    write_env
    trap - EXIT INT TERM HUP
    say "$LAYOUT up after $(elapsed "$start") s: $CLIENT_IP is $EXTERNAL_IP ($EXTERNAL_HOST) outside"
    echo "$ENV_FILE"
}

cmd_status() {
    local note=""
    [[ ! -e $STUN_OFF ]] || note=", STUN server off"
    lab_status "$note"
}

# Only the STUN server: the name server and the router stay, so the program still resolves the
# servers' names and only their answers are missing.
cmd_stun() { # off|on
    [[ $# -eq 1 && ($1 == off || $1 == on) ]] || usage
    [[ -f $ENV_FILE ]] || die "$LAYOUT is not up ($LAB_TAG.sh up $LAYOUT)"
    "stun_$1"
}

stun_off() {
    local pid host daemon i keep=() gone=()
    while read -r pid host daemon; do
        if [[ $daemon == turnserver ]]; then gone+=("$pid"); else keep+=("$pid $host $daemon"); fi
    done <"$PID_FILE"
    : >"$STUN_OFF"
    for pid in "${gone[@]}"; do
        # A PID counts only while it still lives in the outside namespace.
        [[ $(ip netns identify "$pid" 2>/dev/null) == "$OUTSIDE_NS" ]] || continue
        kill -TERM "$pid" 2>/dev/null || true
        for i in $(seq $((STOP_GRACE * 10))); do
            pid_running "$pid" || break
            sleep 0.1
        done
        ! pid_running "$pid" || kill -KILL "$pid" 2>/dev/null || true
    done
    printf '%s\n' "${keep[@]}" >"$PID_FILE"
    say "STUN server off"
}

stun_on() {
    local start
    start=$(now)
    if [[ ! -e $STUN_OFF ]]; then
        say "STUN server already on"
        return 0
    fi
    start_stun
    printf '%s\n' "STUN answer $EXTERNAL_IP" |
        wait_for "$((start + UP_TIMEOUT * 1000000))" 0.1 "the client does not get" ';' client_sees
    rm -f "$STUN_OFF"
    say "STUN server on after $(elapsed "$start") s"
}

cmd_install() {
    install_lab_packages "turnserver dnsmasq" coturn:coturn.service dnsmasq-base nftables \
        iproute2 python3
}

# `stun off nat`: the layout comes last there.
if [[ ${1:-} == stun && $# -ge 3 ]]; then set -- stun "$3" "$2" "${@:4}"; fi
lab_main "$@"
