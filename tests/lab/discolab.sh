#!/usr/bin/env bash
# Velnor's discovery test lab: real WS-Discovery peers (wsdd) and mDNS/DNS-SD peers
# (avahi-daemon) in network namespaces, and a client namespace to discover them from. Nothing
# touches the real network: every host hangs off a bridge that lives in a namespace of its own.
#
#   discolab.sh up LAYOUT             build the lab; returns once every peer answers the client
#   discolab.sh down LAYOUT           remove it (idempotent)
#   discolab.sh exec LAYOUT CMD       run CMD in the client namespace, lab.env exported
#   discolab.sh status LAYOUT         print whether it is up (exit 0 up, 3 otherwise)
#   discolab.sh loss LAYOUT PERCENT   lose that share of the multicast on the client's link (0: none)
#   discolab.sh install               install wsdd, avahi-daemon, samba, nftables (no daemon started)
#
# Layouts: modern, dual, bench10, rogue. Exit 77 from up/exec/loss (and down, if a lab is there):
# cannot run here (not root, tools missing, no namespaces); callers report SKIPPED.
# DISCOLAB_UP_TIMEOUT (seconds, default 90) bounds `up`.
set -euo pipefail

readonly LAB_TAG=discolab LAB_COMMANDS="up exec loss"
# shellcheck source=labcommon.sh
. "$(dirname "${BASH_SOURCE[0]}")/labcommon.sh"

# Budget for the whole start-up: dual and rogue wait for nmbd's election (~22 s), the rest
# take ~2 s.
readonly UP_TIMEOUT=${DISCOLAB_UP_TIMEOUT:-90}
readonly LAYOUTS="modern dual bench10 rogue"
readonly WSDD=/usr/sbin/wsdd
readonly LOSS_TABLE=velnor_loss
# A settled computer's announcement period: the master keeps the false names 36 minutes.
readonly LIE_PERIOD=720

usage() {
    cat >&2 <<EOF
usage: discolab.sh up|down|status LAYOUT
       discolab.sh exec LAYOUT CMD [ARGS...]
       discolab.sh loss LAYOUT PERCENT
       discolab.sh install
layouts: $LAYOUTS
EOF
    exit 2
}

# ---- layouts --------------------------------------------------------------------------
# A layout fills these, by host id (the name in lower case unless given). KIND: wsd (wsdd),
# mdns (avahi-daemon), dual (smbd + nmbd + wsdd), smb (smbd + nmbd) or rogue (wsd_rogue.py).
# GROUP: "Workgroup:NAME" or "Domain:NAME", as the WS-Discovery metadata shows it.
# SERVICES: the DNS-SD types an mDNS peer publishes. UUID: a WS-Discovery endpoint fixed by
# the layout. LIAR: the host claims the name of another computer and is no row of its own.
HOSTS=()
declare -A NAME=() IP=() KIND=() GROUP=() SERVICES=() UUID=() LIAR=()
# Names host LIE_FROM announces into the browse list of the SMB host's workgroup (LIE_NAME, as
# the browse list shows it) and the row a list shows for each (LIE_LISTED), without an address:
# nothing answers to them.
LIE_FROM="" LIE_NAME=() LIE_LISTED=()

add_host() { # kind name ip group services [id]
    local id=${6:-${2,,}}
    HOSTS+=("$id")
    KIND[$id]=$1 NAME[$id]=$2 IP[$id]=$3 GROUP[$id]=$4 SERVICES[$id]=$5
}
add_browse_lie() { LIE_NAME+=("$1") LIE_LISTED+=("$2"); }   # name listed
add_wsd() { add_host wsd "$1" "$2" "$3" "" "${4:-}"; }   # name ip group [id]
add_mdns() { # name ip profile(full|workstation|services) [id]
    local services
    case $3 in
    full) services="_workstation._tcp _smb._tcp _device-info._tcp" ;;
    workstation) services="_workstation._tcp" ;;
    services) services="_smb._tcp _device-info._tcp" ;;
    esac
    add_host mdns "$1" "$2" "" "$services" "${4:-}"
}

# No SMB browse list anywhere: WS-Discovery and mDNS only.
layout_modern() {
    NET=10.232.0
    local i
    for i in 1 2 3; do add_wsd "WSHOST$i" "$NET.$((10 + i))" Workgroup:TESTGROUP; done
    add_wsd WSHOST4 "$NET.14" Domain:LABDOMAIN
    add_mdns mdnshost1 "$NET.21" full
    add_mdns mdnshost2 "$NET.22" full
    add_mdns mdnshost3 "$NET.23" workstation      # a Linux box: workstation record only
    add_mdns mdnshost4 "$NET.24" services         # a NAS box: no workstation record
}

# BOTHHOST is found twice: in TESTGROUP's browse list and through WS-Discovery.
layout_dual() {
    NET=10.234.0
    add_wsd WSHOST1 "$NET.11" Workgroup:TESTGROUP
    add_mdns mdnshost1 "$NET.21" full
    add_host dual BOTHHOST "$NET.30" Workgroup:TESTGROUP ""
}

# Peers that lie; a correct list still shows each real computer once, with its own address.
# SRVR is the browse list's only server, and a wsdd peer elsewhere announces itself as SRVR too;
# a scripted responder serves hostile endpoints (wsd_rogue.py); an avahi peer claims WSREAL's
# name in lower case. WSREAL's endpoint sorts after the responder's.
layout_rogue() {
    NET=10.237.0
    add_host smb SRVR "$NET.30" Workgroup:TESTGROUP ""
    add_wsd WSREAL "$NET.11" Workgroup:TESTGROUP
    UUID[wsreal]=5ea10000-0000-4000-8000-000000000011
    add_wsd SRVR "$NET.66" Workgroup:TESTGROUP roguesrvr
    add_host rogue "" "$NET.67" "" "" roguewsd
    add_mdns wsreal "$NET.68" workstation roguewsreal
    LIAR[roguesrvr]=1 LIAR[roguewsreal]=1
    # From .66 (wsdd leaves port 138 free): a name with a "|" and an ESC, and one that a socket
    # library reads as 127.0.0.1. Not a CR: smbd reads the master's list cut at a CR and serves
    # nothing of that line.
    LIE_FROM=roguesrvr
    add_browse_lie $'EVIL|SMB\e' EVIL_SMB
    add_browse_lie 0X7F.1 0X7F.1
}

layout_bench10() {
    NET=10.235.0
    local i
    for i in $(seq 10); do add_wsd "WSHOST$i" "$NET.$((10 + i))" Workgroup:TESTGROUP; done
    for i in $(seq 10); do add_mdns "mdnshost$i" "$NET.$((20 + i))" full; done
}

load_layout() {
    lab_load_layout "$1" 2
    LOSS_FILE=$RUN_DIR/loss
    SMB_HOST=""
    local h
    for h in "${HOSTS[@]}"; do
        [[ ${KIND[$h]} != dual && ${KIND[$h]} != smb ]] || SMB_HOST=$h
    done
    TOOLS=(ip unshare avahi-daemon "$WSDD" "$PYTHON")
    [[ -z $SMB_HOST ]] || TOOLS+=(smbd nmbd smbtree)
}

speaks_wsd() { [[ ${KIND[$1]} == wsd || ${KIND[$1]} == dual ]]; }

# A UUID of its own for every WS-Discovery peer (wsdd derives one from the machine's host name,
# which every namespace shares): the layout's, or MD5-based from the layout and the name, the
# same every run.
wsd_uuid() { # host
    local h
    [[ -z ${UUID[$1]:-} ]] || { printf '%s' "${UUID[$1]}"; return; }
    h=$(printf 'velnor-lab:%s:%s' "$LAYOUT" "${NAME[$1]}" | md5sum)
    printf '%s-%s-3%s-8%s-%s' "${h:0:8}" "${h:8:4}" "${h:13:3}" "${h:17:3}" "${h:20:12}"
}

# "NAME GROUP LISTED ENDPOINT" (tab-separated) of each named endpoint of the scripted responder;
# NAME as wsd_query.py prints it, LISTED as a list of computers shows it.
rogue_computers() {
    "$PYTHON" "$HERE/wsd_rogue.py" --list
}

# What the client must see: "NAME GROUP ADDRESS" of every WS-Discovery computer,
# "TYPE HOST.local ADDRESS" of every DNS-SD instance.
expected_wsd() {
    local h name group
    for h in "${HOSTS[@]}"; do
        if speaks_wsd "$h"; then printf '%s %s %s\n' "${NAME[$h]}" "${GROUP[$h]}" "${IP[$h]}"; fi
        if [[ ${KIND[$h]} == rogue ]]; then
            while IFS=$'\t' read -r name group _; do
                printf '%s %s %s\n' "$name" "$group" "${IP[$h]}"
            done < <(rogue_computers)
        fi
    done
}
expected_mdns() {
    local h s
    for h in "${HOSTS[@]}"; do
        for s in ${SERVICES[$h]}; do printf '%s %s.local %s\n' "$s" "${NAME[$h]}" "${IP[$h]}"; done
    done
}

# ---- configuration ----------------------------------------------------------------------
# What avahi-daemon sees as /etc/avahi: its configuration and, as static services, the
# DNS-SD types besides _workstation._tcp (which the daemon publishes itself).
write_avahi_conf() { # host
    local h=$1 d=$RUN_DIR/$1/avahi s workstation=no
    mkdir -p "$d/services"
    [[ " ${SERVICES[$h]} " != *" _workstation._tcp "* ]] || workstation=yes
    cat >"$d/avahi-daemon.conf" <<EOF
[server]
host-name=${NAME[$h]}
domain-name=local
use-ipv4=yes
use-ipv6=no
allow-interfaces=eth0
enable-dbus=no
ratelimit-interval-usec=1000000
ratelimit-burst=1000

[wide-area]
enable-wide-area=no

[publish]
publish-workstation=$workstation
publish-hinfo=no

[reflector]
enable-reflector=no
EOF
    : >"$d/hosts"
    for s in ${SERVICES[$h]}; do
        case $s in
        _smb._tcp) avahi_service "$s" 445 "" >"$d/services/smb.service" ;;
        _device-info._tcp) avahi_service "$s" 0 model=VelnorLabBox >"$d/services/device-info.service" ;;
        esac
    done
}

avahi_service() { # type port txt
    cat <<EOF
<?xml version="1.0" standalone='no'?>
<!DOCTYPE service-group SYSTEM "avahi-service.dtd">
<service-group>
  <name replace-wildcards="yes">%h</name>
  <service>
    <type>$1</type>
    <port>$2</port>${3:+
    <txt-record>$3</txt-record>}
  </service>
</service-group>
EOF
}

# ---- daemons ----------------------------------------------------------------------------
# -p: the name exactly as given. Without it wsdd changes its case: with -d, WSHOST4 announces
# itself as "wshost4/Domain:LABDOMAIN".
start_wsdd() { # host
    local h=$1 flag=-w
    [[ ${GROUP[$h]} != Domain:* ]] || flag=-d
    start_daemon "$(host_ns "$h")" "$h" wsdd true \
        "$PYTHON" "$WSDD" -i eth0 -4 -p -n "${NAME[$h]}" "$flag" "${GROUP[$h]#*:}" \
        -U "$(wsd_uuid "$h")" -v
}

# Its own pid file and socket under a private /run (one avahi-daemon per machine otherwise),
# its own configuration and services as /etc/avahi.
start_avahi() { # host
    local h=$1
    write_avahi_conf "$h"
    start_daemon "$(host_ns "$h")" "$h" avahi-daemon \
        "mount --bind $(printf '%q' "$RUN_DIR/$h/avahi") /etc/avahi && mount -t tmpfs tmpfs /run" \
        avahi-daemon --no-drop-root --no-chroot --no-rlimits --no-proc-title \
        -f /etc/avahi/avahi-daemon.conf
}

# avahi-daemon first: it spends its first second probing for its name, mostly idle, while the
# wsdd peers (Python) keep both cores busy starting up.
start_hosts() {
    local h
    for h in "${HOSTS[@]}"; do [[ ${KIND[$h]} != mdns ]] || start_avahi "$h"; done
    for h in "${HOSTS[@]}"; do
        case ${KIND[$h]} in
        wsd) start_wsdd "$h" ;;
        dual)
            # Master browser and WINS server of its workgroup, SMB1 allowed (the browse list
            # exists only there), one guest disk share.
            samba_server_conf "$RUN_DIR/$h/samba" "${GROUP[$h]#*:}" "${NAME[$h]}" "" \
                "Lab dual host" "${IP[$h]}" NT1 master "${IP[$h]}" shared:disk
            start_samba "$h" "$RUN_DIR/$h/samba"
            start_wsdd "$h"
            ;;
        smb)
            samba_server_conf "$RUN_DIR/$h/samba" "${GROUP[$h]#*:}" "${NAME[$h]}" "" \
                "Lab Samba server" "${IP[$h]}" NT1 master "${IP[$h]}" shared:disk
            start_samba "$h" "$RUN_DIR/$h/samba"
            ;;
        rogue)
            start_daemon "$(host_ns "$h")" "$h" wsd_rogue true \
                "$PYTHON" "$HERE/wsd_rogue.py" --address "${IP[$h]}"
            ;;
        esac
    done
}

# ---- what the client sees ---------------------------------------------------------------
# The first three fields of each line a query helper prints within a second, until COUNT.
query_seen() { # helper count
    client_run "$PYTHON" "$HERE/$1.py" -t 1 -n "$2" 2>>"$CLIENT_DIR/log/$1.err" |
        awk -F'\t' '{ print $1, $2, $3 }' || true
}
wsd_seen() { query_seen wsd_query "$1"; }   # count
mdns_seen() { query_seen mdns_query "$1"; } # count

# "WORKGROUP:NAME" of every false name.
lie_pairs() {
    local n
    for n in "${LIE_NAME[@]}"; do printf '%s:%s\n' "${GROUP[$SMB_HOST]#*:}" "$n"; done
}

# Announce every false name (again: a datagram may go unheard), then show the browse list.
browse_after_lies() {
    local n
    for n in "${LIE_NAME[@]}"; do
        announce "$(host_ns "$LIE_FROM")" "$n" "${GROUP[$SMB_HOST]#*:}" "${IP[$LIE_FROM]}" \
            "$NET.255" "$LIE_PERIOD" ""
    done
    browse_pairs
}

# ---- lab.env ----------------------------------------------------------------------------
write_env() {
    local h s peers="" wsd="" mdns="" groups="" computers="" endpoints="" services="" smb=""
    local claims="" phantoms=0 name group listed endpoint
    for h in "${HOSTS[@]}"; do
        if [[ -n ${LIAR[$h]:-} ]]; then
            claims+="${NAME[$h]}=${IP[$h]} "
        elif [[ ${KIND[$h]} != rogue ]]; then
            peers+="${NAME[$h]}=${IP[$h]} "
        fi
        if speaks_wsd "$h"; then
            wsd+="${NAME[$h]}=${IP[$h]} "
            computers+="${NAME[$h]}/${GROUP[$h]} "
            endpoints+="${NAME[$h]}=urn:uuid:$(wsd_uuid "$h") "
            [[ " $groups " == *" ${GROUP[$h]#*:} "* ]] || groups+="${GROUP[$h]#*:} "
        fi
        if [[ ${KIND[$h]} == rogue ]]; then
            while IFS=$'\t' read -r name group listed endpoint; do
                peers+="$listed=${IP[$h]} "
                wsd+="$name=${IP[$h]} "
                computers+="$name/$group "
                endpoints+="$name=$endpoint "
                [[ " $groups " == *" ${group#*:} "* ]] || groups+="${group#*:} "
            done < <(rogue_computers)
            phantoms=$("$PYTHON" "$HERE/wsd_rogue.py" --phantoms)
        fi
        if [[ ${KIND[$h]} == mdns ]]; then mdns+="${NAME[$h]}=${IP[$h]} "; fi
        for s in ${SERVICES[$h]}; do services+="${NAME[$h]}:$s "; done
        if [[ ${KIND[$h]} == dual || ${KIND[$h]} == smb ]]; then
            smb+="${NAME[$h]}=${IP[$h]} "
        fi
    done
    {
        cat <<EOF
LAB_SUBNET=$NET.0/24
LAB_BCAST=$NET.255
LAB_PEERS="${peers% }"
LAB_WSD_PEERS="${wsd% }"
LAB_WSD_GROUPS="${groups% }"
LAB_WSD_COMPUTERS="${computers% }"
LAB_WSD_ENDPOINTS="${endpoints% }"
LAB_MDNS_PEERS="${mdns% }"
LAB_MDNS_SERVICES="${services% }"
LAB_SMB_SERVERS="${smb% }"
LAB_ROGUE_CLAIMS="${claims% }"
LAB_NO_ADDRESS="${LIE_LISTED[*]}"
LAB_WSD_PHANTOMS=$phantoms
LAB_WSD_QUERY=$HERE/wsd_query.py
LAB_MDNS_QUERY=$HERE/mdns_query.py
EOF
        if [[ -n $SMB_HOST ]]; then
            cat <<EOF
LAB_CLIENT_SMBCONF_WINS_ONLY=$CLIENT_DIR/smb-wins-only.conf
LAB_WINS=${IP[$SMB_HOST]}
LAB_WORKGROUPS=${GROUP[$SMB_HOST]#*:}
LAB_MEMBERS=${GROUP[$SMB_HOST]#*:}:${NAME[$SMB_HOST]}
LAB_SHARES=${NAME[$SMB_HOST]}:shared
EOF
        fi
    } | write_lab_env
}

# ---- commands ---------------------------------------------------------------------------
cmd_up() {
    local start deadline nwsd nmdns
    start=$(now)
    deadline=$((start + UP_TIMEOUT * 1000000))
    lab_begin_up
    write_client_conf TESTGROUP "${SMB_HOST:+${IP[$SMB_HOST]}}"
    start_hosts
    nwsd=$(expected_wsd | wc -l)
    nmdns=$(expected_mdns | wc -l)
    expected_wsd | wait_for "$deadline" 0.2 "WS-Discovery: still missing" ';' wsd_seen "$nwsd"
    say "$nwsd WS-Discovery peers answer after $(elapsed "$start") s"
    expected_mdns | wait_for "$deadline" 0.2 "mDNS: still missing" ';' mdns_seen "$nmdns"
    say "$nmdns DNS-SD instances answer after $(elapsed "$start") s"
    if [[ -n $SMB_HOST ]]; then
        printf '%s:%s\n' "${GROUP[$SMB_HOST]#*:}" "${NAME[$SMB_HOST]}" |
            wait_for "$deadline" 0.2 "SMB browse list: still missing" ';' browse_pairs
    fi
    if ((${#LIE_NAME[@]})); then
        lie_pairs | wait_for "$deadline" 1 "SMB browse list: still missing" ';' browse_after_lies
        say "${#LIE_NAME[@]} false names in the browse list after $(elapsed "$start") s"
    fi
    write_env
    trap - EXIT INT TERM HUP
    say "$LAYOUT up after $(elapsed "$start") s: ${#HOSTS[@]} peers"
    echo "$ENV_FILE"
}

cmd_status() {
    local loss=""
    [[ ! -f $LOSS_FILE ]] || loss=", $(cat "$LOSS_FILE") % multicast loss"
    lab_status "$loss"
}

# Multicast on Wi-Fi is sent once and not acknowledged, unicast is retried: lose PERCENT % of
# the IPv4 multicast frames on the client's port of the bridge, each frame and each receiver on
# its own draw. That is the multicast arriving in the client namespace, and each peer's copy of
# the client's multicast queries (Probe, Resolve, mDNS question); unicast answers all arrive.
cmd_loss() { # percent
    local percent=${1:-}
    if [[ ! $percent =~ ^[0-9]+$ ]] || ((percent > 100)); then usage; fi
    command -v nft >/dev/null || skip "nft missing (run: discolab.sh install)"
    [[ -f $ENV_FILE ]] || die "$LAYOUT is not up (discolab.sh up $LAYOUT)"
    ip netns exec "$BR_NS" nft delete table bridge "$LOSS_TABLE" 2>/dev/null || true
    rm -f "$LOSS_FILE"
    ((percent > 0)) || { say "$LAYOUT: no multicast loss"; return 0; }
    local draw="numgen random mod 100 < $percent "
    ((percent < 100)) || draw=""
    ip netns exec "$BR_NS" nft -f - <<EOF || skip "nftables cannot filter bridged frames here"
table bridge $LOSS_TABLE {
    chain forward {
        type filter hook forward priority 0; policy accept;
        oifname "v-client" ip daddr 224.0.0.0/4 ${draw}counter drop
        iifname "v-client" ip daddr 224.0.0.0/4 ${draw}counter drop
    }
}
EOF
    echo "$percent" >"$LOSS_FILE"
    say "$LAYOUT: $percent % multicast loss on the client's link"
}

cmd_install() {
    install_lab_packages "wsdd avahi-daemon smbd nmbd" wsdd:wsdd.service \
        avahi-daemon:avahi-daemon.service,avahi-daemon.socket \
        samba:smbd.service,nmbd.service,samba-ad-dc.service smbclient nftables iproute2 python3
}

lab_main "$@"
