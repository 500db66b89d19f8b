#!/usr/bin/env bash
# Velnor's Samba test lab: real smbd + nmbd servers in network namespaces that form an SMB
# browse list, and a client namespace to walk it from. Nothing touches the real network:
# every host hangs off a bridge that lives in a namespace of its own.
#
#   smblab.sh up LAYOUT         build the lab; returns once the client sees every server
#                               (in switchedoff: then switches ten of them off)
#   smblab.sh down LAYOUT       remove it (idempotent)
#   smblab.sh exec LAYOUT CMD   run CMD in the client namespace, lab.env exported
#   smblab.sh status LAYOUT     print whether it is up (exit 0 up, 3 otherwise)
#   smblab.sh install           install samba, smbclient, iproute2, python3 (no daemon started)
#
# Layouts: basic, bench30, switchedoff. Exit 77 from up/exec (and down, if a lab is there):
# cannot run here (not root, tools missing, no namespaces); callers report SKIPPED.
# SMBLAB_UP_TIMEOUT (seconds, default 120) bounds `up`.
set -euo pipefail

readonly LAB_TAG=smblab LAB_COMMANDS="up exec"
# shellcheck source=labcommon.sh
. "$(dirname "${BASH_SOURCE[0]}")/labcommon.sh"

# Whole start-up budget: nmbd's election alone takes ~22 s and cannot be shortened.
readonly UP_TIMEOUT=${SMBLAB_UP_TIMEOUT:-120}
readonly LAYOUTS="basic bench30 switchedoff"
TOOLS=(ip smbd nmbd smbtree unshare)

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
# Hosts that `up` switches off once the browse list names them.
SWITCHED_OFF=()

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

# Four live names (SRV1 with two aliases, SRV2) and ten computers that announce themselves,
# appear in the browse list and are then cut off and stopped: the master keeps listing them.
layout_switchedoff() {
    NET=10.236.0
    local i
    add_host srv1 SRV1 "$NET.1" WORKGROUP master NT1 "Live server one" "ALPHA BRAVO" "public:disk"
    add_host srv2 SRV2 "$NET.2" WORKGROUP member NT1 "Live server two" "" "docs:disk"
    for i in $(seq 1 10); do
        add_host "$(printf 'off%02d' "$i")" "$(printf 'OFF%02d' "$i")" "$NET.$((10 + i))" \
            WORKGROUP member NT1 "Switched-off computer $i" "" "files:disk"
        SWITCHED_OFF+=("$(printf 'off%02d' "$i")")
    done
}

load_layout() {
    lab_load_layout "$1" 10
    local h
    for h in "${HOSTS[@]}"; do
        # The master of WORKGROUP is the WINS server every other host registers with.
        if [[ ${WG[$h]} == WORKGROUP && ${ROLE[$h]} == master ]]; then WINS_IP=${IP[$h]}; fi
    done
    # The last announcement of a host switched off (announce).
    if ((${#SWITCHED_OFF[@]})); then TOOLS+=(python3); fi
}

switched_off() { [[ " ${SWITCHED_OFF[*]} " == *" $1 "* ]]; }

live_hosts() {
    local h
    for h in "${HOSTS[@]}"; do switched_off "$h" || printf '%s\n' "$h"; done
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

# A computer that has been up a while announces itself every 12 minutes, and a master keeps a
# server for three announcement periods. nmbd, just started, announces every minute, so its
# servers would leave the browse list 3 minutes after a cut; a last host announcement with the
# 12-minute period, as such a computer's, makes the master keep them 36 minutes instead.
readonly OFF_PERIOD=720

# As a power cut would, but for the last announcement above: everything in the hosts'
# namespaces is killed (KILL, so that nmbd neither releases its names nor announces that it is
# gone), then the link goes down. The master and WINS server keep what they last heard.
switch_off() { # host...
    local h n pid host daemon i running entry keep=() gone=()
    while read -r pid host daemon; do
        if [[ " $* " == *" $host "* ]]; then gone+=("$pid"); else keep+=("$pid $host $daemon"); fi
    done <"$PID_FILE"
    # Each daemon leads a process group of its own (start_daemon), with its children in it.
    # Disowned first, or the shell reports every one of them killed.
    for pid in "${gone[@]}"; do
        disown "$pid" 2>/dev/null || true
        kill -KILL -- "-$pid" 2>/dev/null || true
    done
    for h in "$@"; do
        # shellcheck disable=SC2046 # one PID a word
        signal_pids KILL $(ip netns pids "$(host_ns "$h")" 2>/dev/null)
    done
    # What is left running is what status and the start-up checks look at.
    for entry in "${keep[@]}"; do printf '%s\n' "$entry"; done >"$PID_FILE"
    # nmbd's port 138 must be free for the announcement.
    for i in $(seq 50); do
        running=0
        for pid in "${gone[@]}"; do if pid_running "$pid"; then running=1; fi; done
        ((running)) || break
        sleep 0.1
    done
    for h in "$@"; do
        for n in $(host_names "$h"); do
            announce "$(host_ns "$h")" "$n" "${WG[$h]}" "${IP[$h]}" "$NET.255" "$OFF_PERIOD" \
                "${COMMENT[$h]}"
        done
        ip -n "$(host_ns "$h")" link set eth0 down
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
    for h in $(live_hosts); do
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
# The browse list names every host (LAB_MEMBERS); the switched-off ones are in LAB_SWITCHED_OFF
# and nowhere else, since nothing about them can be reached.
write_env() {
    local h n s servers="" shares="" printers="" members="" wgs="" refused="" comments="" off=""
    for h in "${HOSTS[@]}"; do
        [[ " $wgs " == *" ${WG[$h]} "* ]] || wgs+="${WG[$h]} "
        for n in $(host_names "$h"); do
            members+="${WG[$h]}:$n "
            if switched_off "$h"; then
                off+="$n "
                continue
            fi
            servers+="$n=${IP[$h]} "
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
LAB_SWITCHED_OFF="${off% }"
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
    if ((${#SWITCHED_OFF[@]})); then
        switch_off "${SWITCHED_OFF[@]}"
        say "${#SWITCHED_OFF[@]} hosts switched off after $(elapsed "$start") s"
    fi
    wait_for_shares "$deadline"
    # The master still names the hosts switched off.
    if ((${#SWITCHED_OFF[@]})); then expected_pairs | wait_for_names "$deadline"; fi
    write_env
    trap - EXIT INT TERM HUP
    say "$LAYOUT up after $(elapsed "$start") s: $(expected_pairs | wc -l) names"
    echo "$ENV_FILE"
}

cmd_status() { lab_status ""; }

cmd_install() {
    install_lab_packages "smbd nmbd" samba:smbd.service,nmbd.service,samba-ad-dc.service \
        smbclient iproute2 python3
}

lab_main "$@"
