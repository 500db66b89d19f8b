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

readonly LAB_TAG=smblab LAB_COMMANDS="up exec"
# shellcheck source=labcommon.sh
. "$(dirname "${BASH_SOURCE[0]}")/labcommon.sh"

# Whole start-up budget: nmbd's election alone takes ~22 s and cannot be shortened.
readonly UP_TIMEOUT=${SMBLAB_UP_TIMEOUT:-120}
readonly LAYOUTS="basic bench30"
readonly TOOLS=(ip smbd nmbd smbtree unshare)

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
    lab_load_layout "$1" 10
    local h
    for h in "${HOSTS[@]}"; do
        # The master of WORKGROUP is the WINS server every other host registers with.
        if [[ ${WG[$h]} == WORKGROUP && ${ROLE[$h]} == master ]]; then WINS_IP=${IP[$h]}; fi
    done
}

host_names() { printf '%s' "${NB_NAME[$1]}${ALIASES[$1]:+ ${ALIASES[$1]}}"; }

# "WORKGROUP:NAME" for every name of the hosts given (all when none).
expected_pairs() {
    local h n
    for h in "${@:-${HOSTS[@]}}"; do
        for n in $(host_names "$h"); do printf '%s:%s\n' "${WG[$h]}" "$n"; done
    done
}

# ---- daemons ----------------------------------------------------------------------------
start_hosts() {
    local h
    for h in "$@"; do
        samba_server_conf "$RUN_DIR/$h" "${WG[$h]}" "${NB_NAME[$h]}" "${ALIASES[$h]}" \
            "${COMMENT[$h]}" "${IP[$h]}" "${MINPROTO[$h]}" "${ROLE[$h]}" "$WINS_IP" "${SHARES[$h]}"
        start_samba "$h" "$RUN_DIR/$h"
    done
}

# ---- browse list ------------------------------------------------------------------------
# Until the browse list holds every "WORKGROUP:NAME" of stdin.
wait_for_names() { # deadline(us)
    wait_for "$1" 1 "browse list still lacks" ' ' browse_pairs
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
    write_lab_env <<EOF
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
}

# ---- commands ---------------------------------------------------------------------------
cmd_up() {
    local start deadline h masters=() members=()
    start=$(now)
    deadline=$((start + UP_TIMEOUT * 1000000))
    lab_begin_up
    write_client_conf WORKGROUP "$WINS_IP"
    for h in "${HOSTS[@]}"; do
        if [[ ${ROLE[$h]} == master ]]; then masters+=("$h"); else members+=("$h"); fi
    done
    # Members started together with the masters: bench30 took 67 s instead of 25 s, as their
    # first announcements go nowhere and the next ones come much later.
    start_hosts "${masters[@]}"
    expected_pairs "${masters[@]}" | wait_for_names "$deadline"
    say "masters visible after $(elapsed "$start") s"
    if ((${#members[@]})); then
        start_hosts "${members[@]}"
        expected_pairs | wait_for_names "$deadline"
    fi
    wait_for_shares "$deadline"
    write_env
    trap - EXIT INT TERM HUP
    say "$LAYOUT up after $(elapsed "$start") s: $(expected_pairs | wc -l) names"
    echo "$ENV_FILE"
}

cmd_status() { lab_status ""; }

cmd_install() {
    install_packages samba:smbd.service,nmbd.service,samba-ad-dc.service smbclient iproute2
    require_no_root_daemons smbd nmbd
}

lab_main "$@"
