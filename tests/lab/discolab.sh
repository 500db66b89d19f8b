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
# Layouts: modern, dual, bench10. Exit 77 from up/exec/loss (and down, if a lab is there):
# cannot run here (not root, tools missing, no namespaces); callers report SKIPPED.
# DISCOLAB_UP_TIMEOUT (seconds, default 90) bounds `up`.
set -euo pipefail

readonly LAB_TAG=discolab
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly HERE
# shellcheck source=labcommon.sh
. "$HERE/labcommon.sh"

# Budget for the whole start-up: dual waits for nmbd's election (~22 s), the rest take ~2 s.
readonly UP_TIMEOUT=${DISCOLAB_UP_TIMEOUT:-90}
readonly LAYOUTS="modern dual bench10"
# Debian's interpreter, whatever python3 comes first in PATH: wsdd is written for it.
readonly PYTHON=/usr/bin/python3
readonly WSDD=/usr/sbin/wsdd
readonly LOSS_TABLE=velnor_loss

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
# A layout fills these. KIND: wsd (wsdd), mdns (avahi-daemon) or dual (smbd + nmbd + wsdd).
# GROUP: "Workgroup:NAME" or "Domain:NAME", as the WS-Discovery metadata shows it.
# SERVICES: the DNS-SD types an mDNS peer publishes.
HOSTS=()
declare -A NAME=() IP=() KIND=() GROUP=() SERVICES=()

add_host() { # kind name ip group services
    local id=${2,,}
    HOSTS+=("$id")
    KIND[$id]=$1 NAME[$id]=$2 IP[$id]=$3 GROUP[$id]=$4 SERVICES[$id]=$5
}
add_wsd() { add_host wsd "$1" "$2" "$3" ""; }            # name ip group
add_mdns() { # name ip profile(full|workstation|services)
    local services
    case $3 in
    full) services="_workstation._tcp _smb._tcp _device-info._tcp" ;;
    workstation) services="_workstation._tcp" ;;
    services) services="_smb._tcp _device-info._tcp" ;;
    esac
    add_host mdns "$1" "$2" "" "$services"
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

layout_bench10() {
    NET=10.235.0
    local i
    for i in $(seq 10); do add_wsd "WSHOST$i" "$NET.$((10 + i))" Workgroup:TESTGROUP; done
    for i in $(seq 10); do add_mdns "mdnshost$i" "$NET.$((20 + i))" full; done
}

load_layout() {
    LAYOUT=${1:-}
    [[ " $LAYOUTS " == *" $LAYOUT "* && -n $LAYOUT ]] || usage
    "layout_$LAYOUT"
    NS_PREFIX=vlab-$LAYOUT
    BR_NS=$NS_PREFIX-br
    CLIENT_NS=$NS_PREFIX-client
    CLIENT_IP=$NET.2
    RUN_DIR=$RUN_ROOT/$LAYOUT
    CLIENT_DIR=$RUN_DIR/client
    ENV_FILE=$RUN_DIR/lab.env
    PID_FILE=$RUN_DIR/pids
    LOSS_FILE=$RUN_DIR/loss
    SMB_HOST=""
    local h
    for h in "${HOSTS[@]}"; do [[ ${KIND[$h]} != dual ]] || SMB_HOST=$h; done
}

host_ns() { printf '%s-%s' "$NS_PREFIX" "$1"; }
speaks_wsd() { [[ ${KIND[$1]} == wsd || ${KIND[$1]} == dual ]]; }

# A UUID of its own for every WS-Discovery peer (wsdd derives one from the machine's host name,
# which every namespace shares): MD5-based, from the layout and the name, the same every run.
wsd_uuid() { # host
    local h
    h=$(printf 'velnor-lab:%s:%s' "$LAYOUT" "${NAME[$1]}" | md5sum)
    printf '%s-%s-3%s-8%s-%s' "${h:0:8}" "${h:8:4}" "${h:13:3}" "${h:17:3}" "${h:20:12}"
}

# What the client must see: "NAME GROUP ADDRESS" of every WS-Discovery computer,
# "TYPE HOST.local ADDRESS" of every DNS-SD instance.
expected_wsd() {
    local h
    for h in "${HOSTS[@]}"; do
        if speaks_wsd "$h"; then printf '%s %s %s\n' "${NAME[$h]}" "${GROUP[$h]}" "${IP[$h]}"; fi
    done
}
expected_mdns() {
    local h s
    for h in "${HOSTS[@]}"; do
        for s in ${SERVICES[$h]}; do printf '%s %s.local %s\n' "$s" "${NAME[$h]}" "${IP[$h]}"; done
    done
}

# ---- checks -----------------------------------------------------------------------------
require_lab_tools() {
    [[ $EUID -eq 0 ]] || skip "needs root (network namespaces)"
    local t
    for t in ip unshare avahi-daemon "$WSDD" "$PYTHON"; do
        command -v "$t" >/dev/null || skip "$t missing (run: discolab.sh install)"
    done
    if [[ -n $SMB_HOST ]]; then
        for t in smbd nmbd smbtree; do
            command -v "$t" >/dev/null || skip "$t missing (run: discolab.sh install)"
        done
    fi
    unshare --net true 2>/dev/null || skip "cannot create network namespaces here"
}

# ---- network ----------------------------------------------------------------------------
build_network() {
    local h
    make_bridge
    make_ns "$CLIENT_NS"
    # Samba's tools and libsmbclient read /etc/samba/smb.conf and cache names under /run/samba
    # for every lab alike; in the client namespace it is the lab's file, with private paths.
    mkdir -p "/etc/netns/$CLIENT_NS/samba"
    ln -s "$CLIENT_DIR/smb.conf" "/etc/netns/$CLIENT_NS/samba/smb.conf"
    attach_host "$CLIENT_NS" "$CLIENT_IP" v-client
    for h in "${HOSTS[@]}"; do
        make_ns "$(host_ns "$h")"
        attach_host "$(host_ns "$h")" "${IP[$h]}" "v-$h"
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

# The dual host: master browser and WINS server of its workgroup, SMB1 allowed (the browse
# list exists only there), one guest disk share.
write_smb_conf() { # host
    local h=$1 d=$RUN_DIR/$1/samba
    mkdir -p "$d"/{lock,state,cache,pid,private,binddns,ncalrpc,winbindd,nmbd,log,share/shared}
    cat >"$d/smb.conf" <<EOF
[global]
   workgroup = ${GROUP[$h]#*:}
   netbios name = ${NAME[$h]}
   server string = Lab dual host
   server role = standalone server
   interfaces = ${IP[$h]}/24
   bind interfaces only = no
   server min protocol = NT1
   dns proxy = no
   map to guest = Bad User
   guest account = nobody
   load printers = no
   printing = bsd
   printcap name = /dev/null
   disable spoolss = yes
   local master = yes
   preferred master = yes
   domain master = yes
   os level = 65
   wins support = yes
$(private_paths "$d")

[shared]
   path = $d/share/shared
   guest ok = yes
   read only = yes
EOF
}

# What a libsmbclient program (and smbtree) in the client namespace reads, in every layout:
# in modern and bench10 it finds no browse list, not another lab's cached names.
client_conf() { # name-resolve-order
    cat <<EOF
[global]
   workgroup = TESTGROUP
   netbios name = VLABCLIENT
   interfaces = $CLIENT_IP/24
   name resolve order = $1
${SMB_HOST:+   wins server = ${IP[$SMB_HOST]}
}   # The browse list exists only in SMB1; smbtree pins NT1 and needs it allowed.
   client min protocol = NT1
EOF
    private_paths "$CLIENT_DIR"
}

write_client_conf() {
    mkdir -p "$CLIENT_DIR"/{lock,state,cache,pid,private,binddns,ncalrpc,winbindd,nmbd,log,.smb}
    if [[ -n $SMB_HOST ]]; then
        client_conf "wins bcast" >"$CLIENT_DIR/smb.conf"
        client_conf wins >"$CLIENT_DIR/smb-wins-only.conf"
    else
        client_conf bcast >"$CLIENT_DIR/smb.conf"
    fi
    ln -sf ../smb.conf "$CLIENT_DIR/.smb/smb.conf"
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

# tmpfs over the fixed paths Samba's helpers use whatever the config says (/run/samba/nmbd is
# one socket machine-wide otherwise).
start_samba() { # host daemon
    local d=$RUN_DIR/$1/samba
    start_daemon "$(host_ns "$1")" "$1" "$2" \
        "mkdir -p /run/samba /var/log/samba && mount -t tmpfs tmpfs /run/samba &&
         mount -t tmpfs tmpfs /var/log/samba" \
        "$2" -F --no-process-group -s "$d/smb.conf" -l "$d/log"
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
            write_smb_conf "$h"
            start_samba "$h" nmbd
            start_samba "$h" smbd
            start_wsdd "$h"
            ;;
        esac
    done
}

# ---- what the client sees ---------------------------------------------------------------
client_run() {
    ip netns exec "$CLIENT_NS" env HOME="$CLIENT_DIR" "$@"
}

wsd_seen() { # count
    client_run "$PYTHON" "$HERE/wsd_query.py" -t 1 -n "$1" 2>>"$CLIENT_DIR/log/wsd_query.err" |
        awk -F'\t' '{ print $1, $2, $3 }' || true
}

mdns_seen() { # count
    client_run "$PYTHON" "$HERE/mdns_query.py" -t 1 -n "$1" 2>>"$CLIENT_DIR/log/mdns_query.err" |
        awk -F'\t' '{ print $1, $2, $3 }' || true
}

# "WORKGROUP:NAME" for every server the client's browse walk shows.
browse_seen() {
    client_run timeout 20 smbtree -S -U guest% 2>>"$CLIENT_DIR/log/smbtree.err" |
        awk -F'\t' '/^[^\t]/ { wg = $1; sub(/ +$/, "", wg) }
                    /^\t\\\\/ { n = $2; sub(/^\\\\/, "", n); sub(/ +$/, "", n)
                                print wg ":" n }' || true
}

# Ask again until the client sees every expected line (stdin), a daemon dies or time is up.
wait_for() { # deadline what command...
    local deadline=$1 what=$2 want missing
    shift 2
    want=$(sort -u)
    [[ -n $want ]] || return 0
    while :; do
        missing=$(comm -23 <(printf '%s\n' "$want") <("$@" | sort -u))
        [[ -z $missing ]] && return 0
        check_daemons_alive || return 1
        if (($(now) > deadline)); then
            say "$what: still missing: $(echo "$missing" | tr '\n' ';')"
            return 1
        fi
        sleep 0.2
    done
}

# ---- lab.env ----------------------------------------------------------------------------
write_env() {
    local h s peers="" wsd="" mdns="" groups="" computers="" endpoints="" services="" smb=""
    for h in "${HOSTS[@]}"; do
        peers+="${NAME[$h]}=${IP[$h]} "
        if speaks_wsd "$h"; then
            wsd+="${NAME[$h]}=${IP[$h]} "
            computers+="${NAME[$h]}/${GROUP[$h]} "
            endpoints+="${NAME[$h]}=urn:uuid:$(wsd_uuid "$h") "
            [[ " $groups " == *" ${GROUP[$h]#*:} "* ]] || groups+="${GROUP[$h]#*:} "
        fi
        if [[ ${KIND[$h]} == mdns ]]; then mdns+="${NAME[$h]}=${IP[$h]} "; fi
        for s in ${SERVICES[$h]}; do services+="${NAME[$h]}:$s "; done
        if [[ ${KIND[$h]} == dual ]]; then smb+="${NAME[$h]}=${IP[$h]} "; fi
    done
    {
        cat <<EOF
LAB_LAYOUT=$LAYOUT
LAB_RUN_DIR=$RUN_DIR
LAB_CLIENT_NS=$CLIENT_NS
LAB_CLIENT_IP=$CLIENT_IP
LAB_CLIENT_HOME=$CLIENT_DIR
LAB_CLIENT_SMBCONF=$CLIENT_DIR/smb.conf
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
    } >"$ENV_FILE.tmp"
    mv "$ENV_FILE.tmp" "$ENV_FILE"
}

# ---- commands ---------------------------------------------------------------------------
cmd_exec() { lab_exec "$@"; }

cmd_up() {
    local start deadline nwsd nmdns
    start=$(now)
    deadline=$((start + UP_TIMEOUT * 1000000))
    lab_begin_up
    build_network
    write_client_conf
    start_hosts
    nwsd=$(expected_wsd | wc -l)
    nmdns=$(expected_mdns | wc -l)
    expected_wsd | wait_for "$deadline" WS-Discovery wsd_seen "$nwsd"
    say "$nwsd WS-Discovery peers answer after $(elapsed "$start") s"
    expected_mdns | wait_for "$deadline" mDNS mdns_seen "$nmdns"
    say "$nmdns DNS-SD instances answer after $(elapsed "$start") s"
    if [[ -n $SMB_HOST ]]; then
        printf '%s:%s\n' "${GROUP[$SMB_HOST]#*:}" "${NAME[$SMB_HOST]}" |
            wait_for "$deadline" "SMB browse list" browse_seen
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
    local left
    install_packages wsdd:wsdd.service avahi-daemon:avahi-daemon.service,avahi-daemon.socket \
        samba:smbd.service,nmbd.service,samba-ad-dc.service smbclient nftables iproute2 python3
    left=$(daemons_in_own_netns wsdd avahi-daemon smbd nmbd)
    [[ -z $left ]] || die "daemons run in the root network namespace: $(echo "$left" | tr '\n' ' ')"
    say "no wsdd, avahi-daemon, smbd or nmbd runs in the root network namespace"
}

main() {
    local cmd=${1:-}
    (($# > 0)) && shift
    case $cmd in
    install) cmd_install ;;
    up | exec | loss)
        load_layout "${1:-}"
        shift
        require_lab_tools
        "cmd_$cmd" "$@"
        ;;
    down)
        load_layout "${1:-}"
        lab_down_command
        ;;
    status)
        load_layout "${1:-}"
        cmd_status
        ;;
    *) usage ;;
    esac
}

main "$@"
