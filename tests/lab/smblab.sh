#!/usr/bin/env bash
# Velnor's Samba test lab: real smbd + nmbd servers in network namespaces that form an SMB
# browse list, and a client namespace to walk it from. Nothing touches the real network:
# every host hangs off a bridge that lives in a namespace of its own.
#
#   smblab.sh up LAYOUT         build the lab; returns once the client sees every server
#   smblab.sh down LAYOUT       remove it (idempotent)
#   smblab.sh exec LAYOUT CMD   run CMD in the client namespace, lab.env exported
#   smblab.sh status LAYOUT     print whether it is up (exit 0 up, 3 otherwise)
#   smblab.sh install           install samba, smbclient, iproute2 (no daemon started)
#
# Layouts: basic, bench30. Exit 77 from up/exec (and down, if a lab is there): cannot run
# here (not root, tools missing, no namespaces); callers report SKIPPED.
# SMBLAB_UP_TIMEOUT (seconds, default 120) bounds `up`.
set -euo pipefail

readonly LAB_TAG=smblab
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly HERE
# shellcheck source=labcommon.sh
. "$HERE/labcommon.sh"

# Whole start-up budget: nmbd's election alone takes ~22 s and cannot be shortened.
readonly UP_TIMEOUT=${SMBLAB_UP_TIMEOUT:-120}
readonly LAYOUTS="basic bench30"

usage() {
    cat >&2 <<EOF
usage: smblab.sh up|down|status LAYOUT
       smblab.sh exec LAYOUT CMD [ARGS...]
       smblab.sh install
layouts: $LAYOUTS
EOF
    exit 2
}

# ---- layouts --------------------------------------------------------------------------
# A layout fills these. Hosts are started in HOSTS order; masters of a workgroup first.
HOSTS=()
declare -A NB_NAME=() IP=() WG=() ALIASES=() ROLE=() SHARES=() COMMENT=() MINPROTO=()

add_host() { # id name ip workgroup role(master|member) min-protocol "comment" "aliases" "shares"
    HOSTS+=("$1")
    NB_NAME[$1]=$2 IP[$1]=$3 WG[$1]=$4 ROLE[$1]=$5 MINPROTO[$1]=$6
    COMMENT[$1]=$7 ALIASES[$1]=$8 SHARES[$1]=$9
}

layout_basic() {
    NET=10.231.0
    add_host srv1 SRV1 "$NET.1" WORKGROUP master NT1 "Lab server one" "ALPHA BRAVO" \
        "public:disk laser:printer"
    # Refuses SMB1: its announcements are NetBIOS datagrams, so it is still listed.
    add_host srv2 SRV2 "$NET.2" WORKGROUP member SMB2_02 "Lab server two" "" "docs:disk"
    add_host srv3 SRV3 "$NET.3" OTHERGROUP master NT1 "Lab server three" "" "media:disk"
}

layout_bench30() {
    NET=10.233.0
    local i j aliases role=master
    for i in 1 2 3; do
        aliases=""
        for j in $(seq $(((i - 1) * 9 + 1)) $((i * 9))); do
            aliases+=$(printf 'NODE%02d ' "$j")
        done
        add_host "srv$i" "SRV$i" "$NET.$i" WORKGROUP "$role" NT1 "Bench server $i" \
            "${aliases% }" "data$i:disk"
        role=member
    done
}

load_layout() {
    LAYOUT=${1:-}
    [[ " $LAYOUTS " == *" $LAYOUT "* && -n $LAYOUT ]] || usage
    "layout_$LAYOUT"
    NS_PREFIX=vlab-$LAYOUT
    BR_NS=$NS_PREFIX-br
    CLIENT_NS=$NS_PREFIX-client
    CLIENT_IP=$NET.10
    RUN_DIR=$RUN_ROOT/$LAYOUT
    CLIENT_DIR=$RUN_DIR/client
    ENV_FILE=$RUN_DIR/lab.env
    PID_FILE=$RUN_DIR/pids
    local h
    for h in "${HOSTS[@]}"; do
        # The master of WORKGROUP is the WINS server every other host registers with.
        if [[ ${WG[$h]} == WORKGROUP && ${ROLE[$h]} == master ]]; then WINS_IP=${IP[$h]}; fi
    done
}

host_ns() { printf '%s-%s' "$NS_PREFIX" "$1"; }
host_names() { printf '%s' "${NB_NAME[$1]}${ALIASES[$1]:+ ${ALIASES[$1]}}"; }

# "WORKGROUP:NAME" for every name of the hosts given (all when none).
expected_pairs() {
    local h n
    for h in "${@:-${HOSTS[@]}}"; do
        for n in $(host_names "$h"); do printf '%s:%s\n' "${WG[$h]}" "$n"; done
    done
}

# ---- checks -----------------------------------------------------------------------------
require_lab_tools() {
    [[ $EUID -eq 0 ]] || skip "needs root (network namespaces)"
    local t
    for t in ip smbd nmbd smbtree unshare; do
        command -v "$t" >/dev/null || skip "$t missing (run: smblab.sh install)"
    done
    unshare --net true 2>/dev/null || skip "cannot create network namespaces here"
}

# ---- network ----------------------------------------------------------------------------
build_network() {
    local h
    make_bridge
    make_ns "$CLIENT_NS"
    # Samba's tools and libsmbclient read /etc/samba/smb.conf too (smbclient would cache names
    # under /run/samba for every lab alike); in the client namespace it is the lab's file.
    mkdir -p "/etc/netns/$CLIENT_NS/samba"
    ln -s "$CLIENT_DIR/smb.conf" "/etc/netns/$CLIENT_NS/samba/smb.conf"
    attach_host "$CLIENT_NS" "$CLIENT_IP" v-client
    for h in "${HOSTS[@]}"; do
        make_ns "$(host_ns "$h")"
        attach_host "$(host_ns "$h")" "${IP[$h]}" "v-$h"
    done
}

# ---- configuration ----------------------------------------------------------------------
browse_role() { # host
    if [[ ${IP[$1]} == "$WINS_IP" ]]; then
        printf '   %s\n' "local master = yes" "preferred master = yes" "domain master = yes" \
            "os level = 65" "wins support = yes"
    elif [[ ${ROLE[$1]} == master ]]; then
        # Master of another workgroup. As a domain master too it syncs with SRV1 through WINS,
        # and nmbd 4.17 then adds a workgroup with an empty name to both browse lists.
        printf '   %s\n' "local master = yes" "preferred master = yes" "domain master = no" \
            "os level = 65" "wins server = $WINS_IP"
    else
        printf '   %s\n' "local master = no" "preferred master = no" "domain master = no" \
            "os level = 0" "wins server = $WINS_IP"
    fi
}

share_section() { # dir name type
    mkdir -p "$1/share/$2"
    printf '\n[%s]\n   path = %s/share/%s\n   guest ok = yes\n' "$2" "$1" "$2"
    if [[ $3 == printer ]]; then
        # No printing system: a print job just vanishes. Guests spool into the path.
        chmod 1777 "$1/share/$2"
        printf '   %s\n' "printable = yes" "print command = /bin/true" \
            "lpq command = /bin/true" "lprm command = /bin/true"
    else
        printf '   read only = yes\n'
    fi
}

write_server_conf() { # host
    local h=$1 d=$RUN_DIR/$1 s
    mkdir -p "$d"/{lock,state,cache,pid,private,binddns,ncalrpc,winbindd,nmbd,log,share}
    {
        cat <<EOF
[global]
   workgroup = ${WG[$h]}
   netbios name = ${NB_NAME[$h]}
   netbios aliases = ${ALIASES[$h]}
   server string = ${COMMENT[$h]}
   server role = standalone server
   interfaces = ${IP[$h]}/24
   bind interfaces only = no
   server min protocol = ${MINPROTO[$h]}
   dns proxy = no
   map to guest = Bad User
   guest account = nobody
   load printers = no
   printing = bsd
   printcap name = /dev/null
   disable spoolss = yes
EOF
        browse_role "$h"
        private_paths "$d"
        for s in ${SHARES[$h]}; do share_section "$d" "${s%%:*}" "${s#*:}"; done
    } >"$d/smb.conf"
}

# What a libsmbclient program (and smbtree) in the client namespace reads as $HOME/.smb/smb.conf.
client_conf() { # name-resolve-order
    cat <<EOF
[global]
   workgroup = WORKGROUP
   netbios name = VLABCLIENT
   interfaces = $CLIENT_IP/24
   name resolve order = $1
   wins server = $WINS_IP
   # The browse list exists only in SMB1; smbtree pins NT1 and needs it allowed.
   client min protocol = NT1
EOF
    private_paths "$CLIENT_DIR"
}

# "wins bcast" as the default, and "wins" alone for a walk that is to skip broadcasts: with
# bcast every server name costs two negative broadcast lookups (<1d>, <1b>) of ~250 ms each,
# 15 s against 0.6 s for 30 names. Use the latter with `smbtree -s` or smbc_setConfiguration;
# a HOME does not do, since /etc/samba/smb.conf (the default one here) is read after it.
write_client_conf() {
    mkdir -p "$CLIENT_DIR"/{lock,state,cache,pid,private,binddns,ncalrpc,winbindd,nmbd,log,.smb}
    client_conf "wins bcast" >"$CLIENT_DIR/smb.conf"
    client_conf wins >"$CLIENT_DIR/smb-wins-only.conf"
    ln -sf ../smb.conf "$CLIENT_DIR/.smb/smb.conf"
}

# ---- daemons ----------------------------------------------------------------------------
# Each daemon gets a private mount namespace with tmpfs over the fixed paths Samba's helpers
# use whatever the config says (/run/samba/nmbd is one socket machine-wide otherwise).
# Job control puts it in its own process group: smbd TERMs its whole group on exit.
start_samba() { # host daemon
    local d=$RUN_DIR/$1
    # /run is a fresh tmpfs after a reboot: nothing recreates /run/samba while the
    # daemons are disabled, and the tmpfs below needs its mount point.
    mkdir -p /run/samba /var/log/samba "$d/log"
    start_daemon "$(host_ns "$1")" "$1" "$2" \
        'mount -t tmpfs tmpfs /run/samba && mount -t tmpfs tmpfs /var/log/samba' \
        "$2" -F --no-process-group -s "$d/smb.conf" -l "$d/log"
}

start_hosts() {
    local h
    for h in "$@"; do
        write_server_conf "$h"
        start_samba "$h" nmbd
        start_samba "$h" smbd
    done
}

# ---- browse list ------------------------------------------------------------------------
client_run() {
    ip netns exec "$CLIENT_NS" env HOME="$CLIENT_DIR" "$@"
}

# "WORKGROUP:NAME" for every server the client's browse walk shows.
browse_pairs() {
    client_run timeout 20 smbtree -S -U guest% 2>>"$CLIENT_DIR/log/smbtree.err" |
        awk -F'\t' '/^[^\t]/ { wg = $1; sub(/ +$/, "", wg) }
                    /^\t\\\\/ { n = $2; sub(/^\\\\/, "", n); sub(/ +$/, "", n)
                                print wg ":" n }' || true
}

wait_for_names() { # deadline(us) pairs...
    local deadline=$1 missing
    shift
    while :; do
        missing=$(comm -23 <(printf '%s\n' "$@" | sort -u) <(browse_pairs | sort -u))
        [[ -z $missing ]] && return 0
        check_daemons_alive || return 1
        if (($(now) > deadline)); then
            say "browse list still lacks: $(echo "$missing" | tr '\n' ' ')"
            return 1
        fi
        sleep 1
    done
}

# Every server answers a share listing and a broadcast query for each of its names: right
# after a start either can fail (Samba's RPC helpers starting, nmbd busy with its first
# announcements), and a test must not take that for a fault of its own.
wait_for_shares() { # deadline(us)
    local deadline=$1 h n share listing ready
    for h in "${HOSTS[@]}"; do
        while :; do
            listing=$(client_run timeout 10 smbclient -L "${IP[$h]}" -N -g 2>/dev/null || true)
            ready=yes
            for share in ${SHARES[$h]}; do
                grep -q "|${share%%:*}|" <<<"$listing" || ready=no
            done
            for n in $(host_names "$h"); do
                client_run timeout 5 nmblookup -B "$NET.255" "$n" 2>/dev/null |
                    grep -q "^${IP[$h]} " || ready=no
            done
            [[ $ready == yes ]] && break
            if (($(now) > deadline)); then
                say "${NB_NAME[$h]} lists no shares"
                return 1
            fi
            sleep 0.5
        done
    done
}

# ---- lab.env ----------------------------------------------------------------------------
write_env() {
    local h n s servers="" shares="" printers="" members="" wgs="" refused="" comments=""
    for h in "${HOSTS[@]}"; do
        [[ " $wgs " == *" ${WG[$h]} "* ]] || wgs+="${WG[$h]} "
        for n in $(host_names "$h"); do
            servers+="$n=${IP[$h]} "
            members+="${WG[$h]}:$n "
            comments+="LAB_COMMENT_$n=\"${COMMENT[$h]}\""$'\n'
            [[ ${MINPROTO[$h]} == NT1 ]] || refused+="$n "
            for s in ${SHARES[$h]}; do
                shares+="$n:${s%%:*} "
                if [[ ${s#*:} == printer ]]; then printers+="$n:${s%%:*} "; fi
            done
        done
    done
    cat >"$ENV_FILE.tmp" <<EOF
LAB_LAYOUT=$LAYOUT
LAB_RUN_DIR=$RUN_DIR
LAB_CLIENT_NS=$CLIENT_NS
LAB_CLIENT_IP=$CLIENT_IP
LAB_CLIENT_HOME=$CLIENT_DIR
LAB_CLIENT_SMBCONF=$CLIENT_DIR/smb.conf
LAB_CLIENT_SMBCONF_WINS_ONLY=$CLIENT_DIR/smb-wins-only.conf
LAB_WINS=$WINS_IP
LAB_BCAST=$NET.255
LAB_WORKGROUPS="${wgs% }"
LAB_SERVERS="${servers% }"
LAB_MEMBERS="${members% }"
LAB_SHARES="${shares% }"
LAB_PRINTER_SHARES="${printers% }"
LAB_SMB1_REFUSED="${refused% }"
$comments
EOF
    mv "$ENV_FILE.tmp" "$ENV_FILE"
}

# ---- commands ---------------------------------------------------------------------------
cmd_exec() { lab_exec "$@"; }

cmd_up() {
    local start deadline h masters=() members=()
    start=$(now)
    deadline=$((start + UP_TIMEOUT * 1000000))
    lab_begin_up
    build_network
    write_client_conf
    for h in "${HOSTS[@]}"; do
        if [[ ${ROLE[$h]} == master ]]; then masters+=("$h"); else members+=("$h"); fi
    done
    # Members started together with the masters: bench30 took 67 s instead of 25 s, as their
    # first announcements go nowhere and the next ones come much later.
    start_hosts "${masters[@]}"
    mapfile -t pairs < <(expected_pairs "${masters[@]}")
    wait_for_names "$deadline" "${pairs[@]}"
    say "masters visible after $(elapsed "$start") s"
    if ((${#members[@]})); then
        start_hosts "${members[@]}"
        mapfile -t pairs < <(expected_pairs)
        wait_for_names "$deadline" "${pairs[@]}"
    fi
    wait_for_shares "$deadline"
    write_env
    trap - EXIT INT TERM HUP
    say "$LAYOUT up after $(elapsed "$start") s: $(expected_pairs | wc -l) names"
    echo "$ENV_FILE"
}

# The package scripts would start smbd/nmbd on the real network; policy-rc.d forbids it.
cmd_install() {
    local left
    install_packages samba:smbd.service,nmbd.service,samba-ad-dc.service smbclient iproute2
    left=$(daemons_in_own_netns smbd nmbd)
    [[ -z $left ]] || die "daemons run in the root network namespace: $(echo "$left" | tr '\n' ' ')"
    say "no smbd or nmbd runs in the root network namespace"
}

main() {
    local cmd=${1:-}
    (($# > 0)) && shift
    case $cmd in
    install) cmd_install ;;
    up | exec)
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
        lab_status ""
        ;;
    *) usage ;;
    esac
}

main "$@"
