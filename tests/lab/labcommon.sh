# Shared by Velnor's lab scripts; sourced, not run. Messages, timing, layouts, network
# namespaces joined by a bridge that lives in a namespace of its own, Samba servers and the
# client's Samba configuration, NetBIOS host announcements, daemons in private mount namespaces,
# lab.env, the command line, teardown, and package installs that start no daemon. Nothing here
# touches the root network namespace.
#
# The sourcing script sets LAB_TAG (its name without .sh, the prefix of its messages) and
# LAB_COMMANDS (its commands that need root and its tools, e.g. "up exec") before sourcing,
# and defines:
#   LAYOUTS, layout_NAME  the layouts, each a function that sets NET (the subnet's first three
#              numbers) and fills HOSTS (host ids, in start order) and IP (id -> address)
#   load_layout  calls lab_load_layout and sets what else the lab needs; TOOLS (the commands
#              LAB_COMMANDS need) there or once for all layouts
#   usage, cmd_install, cmd_status, and cmd_NAME for every NAME of LAB_COMMANDS but exec
#   build_network, only when its network is not the bridge below (lab_begin_up calls it)
# lab_load_layout sets from the layout's name:
#   NS_PREFIX  every namespace of the lab is named "$NS_PREFIX-..."
#   BR_NS      the namespace that holds the bridge br0
#   RUN_DIR    the lab's run directory (under RUN_ROOT)
#   PID_FILE   "PID HOST DAEMON" for every daemon the lab started, one a line
#   ENV_FILE   lab.env, written once the lab is up
#   CLIENT_NS, CLIENT_IP, CLIENT_DIR  the client's namespace, address and home
# shellcheck shell=bash

# The folder of the lab scripts and their helpers.
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly HERE
# Debian's interpreter, whatever python3 comes first in PATH: wsdd and the helpers are written
# for it.
# shellcheck disable=SC2034 # used by the sourcing scripts
readonly PYTHON=/usr/bin/python3
readonly RUN_ROOT=/run/velnor-lab
readonly SKIP=77
readonly STOP_GRACE=3       # seconds between TERM and KILL

say() { printf '%s: %s\n' "$LAB_TAG" "$*" >&2; }
die() { say "error: $*"; exit 1; }
skip() { say "skipped: $*"; exit "$SKIP"; }
now() { printf '%s' "${EPOCHREALTIME/./}"; }            # microseconds
elapsed() { # since(us) -> seconds with one decimal
    local us=$(($(now) - $1))
    printf '%d.%01d' $((us / 1000000)) $((us % 1000000 / 100000))
}

# ---- layouts ----------------------------------------------------------------------------
# Check the name, let layout_LAYOUT fill HOSTS, IP and NET, and name the lab's namespaces and
# files. The client is host CLIENT of the subnet.
lab_load_layout() { # layout client
    LAYOUT=$1
    # shellcheck disable=SC2153 # LAYOUTS is the lab's
    [[ " $LAYOUTS " == *" $LAYOUT "* && -n $LAYOUT ]] || usage
    "layout_$LAYOUT"
    NS_PREFIX=vlab-$LAYOUT
    BR_NS=$NS_PREFIX-br
    CLIENT_NS=$NS_PREFIX-client
    CLIENT_IP=$NET.$2
    RUN_DIR=$RUN_ROOT/$LAYOUT
    CLIENT_DIR=$RUN_DIR/client
    ENV_FILE=$RUN_DIR/lab.env
    PID_FILE=$RUN_DIR/pids
}

host_ns() { printf '%s-%s' "$NS_PREFIX" "$1"; }

# ---- checks -----------------------------------------------------------------------------
require_lab_tools() { # tool...
    [[ $EUID -eq 0 ]] || skip "needs root (network namespaces)"
    local t
    for t in "$@"; do
        command -v "$t" >/dev/null || skip "$t missing (run: $LAB_TAG.sh install)"
    done
    unshare --net true 2>/dev/null || skip "cannot create network namespaces here"
}

# ---- network ----------------------------------------------------------------------------
make_ns() { # name
    ip netns add "$1"
    # ip netns exec bind-mounts this over /etc/resolv.conf: DNS stays inside the namespace.
    mkdir -p "/etc/netns/$1"
    echo "nameserver 127.0.0.1" >"/etc/netns/$1/resolv.conf"
    ip netns exec "$1" sysctl -qw net.ipv6.conf.all.disable_ipv6=1 \
        net.ipv6.conf.default.disable_ipv6=1
    ip -n "$1" link set lo up
}

# The bridge, in a namespace of its own. Without snooping it floods every multicast frame to
# every port, as a plain switch does; with it, groups nobody reported joining may be dropped.
make_bridge() {
    make_ns "$BR_NS"
    ip -n "$BR_NS" link add br0 type bridge stp_state 0 forward_delay 0 mcast_snooping 0
    ip -n "$BR_NS" link set br0 up
}

# Plug a host namespace into the bridge. The veth is created inside the bridge namespace
# and its peer moved straight into the host's, so nothing ever exists in the root one.
attach_host() { # ns ip port-name(<= 15 characters)
    ip -n "$BR_NS" link add "$3" type veth peer name eth0 netns "$1"
    ip -n "$BR_NS" link set "$3" master br0 up
    ip -n "$1" addr add "$2/24" brd + dev eth0
    ip -n "$1" link set eth0 up
}

# The client's namespace. Samba's tools and libsmbclient read /etc/samba/smb.conf and cache
# names under /run/samba for every lab alike; in the client namespace that file is the lab's
# (write_client_conf).
make_client_ns() {
    make_ns "$CLIENT_NS"
    mkdir -p "/etc/netns/$CLIENT_NS/samba"
    ln -s "$CLIENT_DIR/smb.conf" "/etc/netns/$CLIENT_NS/samba/smb.conf"
}

# The bridge, the client and every host of HOSTS, each in a namespace of its own. A lab whose
# network is not one bridge defines build_network of its own after sourcing this file.
build_network() {
    local h
    make_bridge
    make_client_ns
    attach_host "$CLIENT_NS" "$CLIENT_IP" v-client
    for h in "${HOSTS[@]}"; do
        make_ns "$(host_ns "$h")"
        attach_host "$(host_ns "$h")" "${IP[$h]}" "v-$h"
    done
}

# ---- daemons ----------------------------------------------------------------------------
# Run CMD in namespace NS inside a private mount namespace, after the shell code SETUP (mounts
# that only this daemon sees, e.g. a tmpfs over /run). Job control puts it in a process group
# of its own (smbd TERMs its whole group on exit). Its output goes to $RUN_DIR/HOST/log/DAEMON.out.
start_daemon() { # ns host daemon setup cmd...
    local ns=$1 host=$2 daemon=$3 setup=$4 out
    shift 4
    out=$RUN_DIR/$host/log/$daemon.out
    mkdir -p "${out%/*}"
    set -m
    ip netns exec "$ns" unshare --mount --propagation private \
        sh -c "$setup"' && exec "$@"' sh "$@" </dev/null >"$out" 2>&1 &
    printf '%s %s %s\n' "$!" "$host" "$daemon" >>"$PID_FILE"
    set +m
}

# Fail early with the daemon's own words rather than after the whole timeout.
check_daemons_alive() {
    local pid host daemon
    while read -r pid host daemon; do
        kill -0 "$pid" 2>/dev/null && continue
        say "$daemon of $host died; last lines of its output:"
        tail -n 5 "$RUN_DIR/$host/log/$daemon.out" >&2 || true
        return 1
    done <"$PID_FILE"
}

# ---- Samba ------------------------------------------------------------------------------
# Every path Samba would otherwise write under /var, /run or /etc points into DIR.
private_paths() { # dir
    cat <<EOF
   lock directory = $1/lock
   state directory = $1/state
   cache directory = $1/cache
   pid directory = $1/pid
   private dir = $1/private
   binddns dir = $1/binddns
   ncalrpc dir = $1/ncalrpc
   winbindd socket directory = $1/winbindd
   nmbd:socket dir = $1/nmbd
   usershare path =
   log file = $1/log/log.%m
   max log size = 1000
EOF
}

# The folders private_paths names.
private_dirs() { # dir
    mkdir -p "$1"/{lock,state,cache,pid,private,binddns,ncalrpc,winbindd,nmbd,log}
}

# DIR/smb.conf of a server: standalone, guests mapped to nobody, no printing system. SHARES are
# "NAME:disk" or "NAME:printer".
samba_server_conf() { # dir workgroup name "aliases" "comment" ip min-protocol role wins-ip "shares"
    local d=$1 s
    private_dirs "$d"
    {
        cat <<EOF
[global]
   workgroup = $2
   netbios name = $3
   netbios aliases = $4
   server string = $5
   server role = standalone server
   interfaces = $6/24
   bind interfaces only = no
   server min protocol = $7
   dns proxy = no
   map to guest = Bad User
   guest account = nobody
   load printers = no
   printing = bsd
   printcap name = /dev/null
   disable spoolss = yes
EOF
        browse_role "$6" "$8" "$9"
        private_paths "$d"
        for s in ${10}; do share_section "$d" "${s%%:*}" "${s#*:}"; done
    } >"$d/smb.conf"
}

# The master whose address is the WINS server's is the WINS server too; every other server
# registers with it.
browse_role() { # ip role(master|member) wins-ip
    if [[ $1 == "$3" ]]; then
        printf '   %s\n' "local master = yes" "preferred master = yes" "domain master = yes" \
            "os level = 65" "wins support = yes"
    elif [[ $2 == master ]]; then
        # Master of another workgroup. As a domain master too it syncs with the WINS server's
        # master through WINS, and nmbd 4.17 then adds a workgroup with an empty name to both
        # browse lists.
        printf '   %s\n' "local master = yes" "preferred master = yes" "domain master = no" \
            "os level = 65" "wins server = $3"
    else
        printf '   %s\n' "local master = no" "preferred master = no" "domain master = no" \
            "os level = 0" "wins server = $3"
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

# nmbd and smbd of HOST, with DIR/smb.conf. Their tmpfs cover the fixed paths Samba's helpers
# use whatever the config says (/run/samba/nmbd is one socket machine-wide otherwise).
start_samba() { # host dir
    local daemon
    # /run is a fresh tmpfs after a reboot: nothing recreates /run/samba while the
    # daemons are disabled, and the tmpfs below needs its mount point.
    mkdir -p /run/samba /var/log/samba
    for daemon in nmbd smbd; do
        start_daemon "$(host_ns "$1")" "$1" "$daemon" \
            'mount -t tmpfs tmpfs /run/samba && mount -t tmpfs tmpfs /var/log/samba' \
            "$daemon" -F --no-process-group -s "$2/smb.conf" -l "$2/log"
    done
}

# One host announcement (a browser datagram to WORKGROUP<1d>), broadcast in namespace NS from
# SOURCE's port 138, which must be free there. The master lists NAME (upper case, as nmbd would
# make it anyway) for three PERIODs on this datagram's word alone.
announce() { # ns name workgroup source-ip broadcast period(s) comment
    local ns=$1
    shift
    ip netns exec "$ns" python3 - "$@" <<'PY'
import socket, struct, sys

name, group, source, bcast, period, comment = sys.argv[1:7]


def netbios_name(text, suffix):  # first-level encoding, RFC 1001 14.1
    raw = text.upper().encode().ljust(15)[:15] + bytes([suffix])
    return b"\x20" + b"".join(bytes([0x41 + (c >> 4), 0x41 + (c & 15)]) for c in raw) + b"\0"


# HostAnnouncement: opcode, update count, periodicity (ms), name, OS 6.1, type (workstation,
# server, NT), browser version 15.1, signature, comment.
announcement = struct.pack("<BBI16sBBIBBH", 1, 1, int(period) * 1000,
                           name.upper().encode().ljust(16, b"\0"), 6, 1, 0x1003, 15, 1,
                           0xAA55) + comment.encode() + b"\0"
mailslot = b"\\MAILSLOT\\BROWSE\0"
words = 17  # 14 of a transaction and 3 of setup: write to mailslot, priority 1, class 2
offset = 32 + 1 + words * 2 + 2 + len(mailslot)
smb = (b"\xffSMB\x25" + bytes(27)
       + struct.pack("<BHHHHBBHIHHHHHBBHHH", words, 0, len(announcement), 0, 0, 0, 0, 0, 0, 0,
                     0, offset, len(announcement), offset, 3, 0, 1, 1, 2)
       + struct.pack("<H", len(mailslot) + len(announcement)) + mailslot + announcement)
body = netbios_name(name, 0x00) + netbios_name(group, 0x1D) + smb
# Direct group datagram, first and only fragment, from a B node.
datagram = struct.pack(">BBH4sHHH", 0x11, 0x02, 1, socket.inet_aton(source), 138, len(body),
                       0) + body
with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    s.bind((source, 138))
    s.sendto(datagram, (bcast, 138))
PY
}

# What a libsmbclient program (and smbtree) in the client namespace reads as /etc/samba/smb.conf
# and $HOME/.smb/smb.conf, in every lab: one without SMB servers finds no browse list, not
# another lab's cached names.
client_conf() { # workgroup name-resolve-order wins-ip
    cat <<EOF
[global]
   workgroup = $1
   netbios name = VLABCLIENT
   interfaces = $CLIENT_IP/24
   name resolve order = $2
${3:+   wins server = $3
}   # The browse list exists only in SMB1; smbtree pins NT1 and needs it allowed.
   client min protocol = NT1
EOF
    private_paths "$CLIENT_DIR"
}

# With a WINS server, "wins bcast" as the default, and "wins" alone for a walk that is to skip
# broadcasts: with bcast every server name costs two negative broadcast lookups (<1d>, <1b>) of
# ~250 ms each, 15 s against 0.6 s for 30 names. Use the latter with `smbtree -s` or
# smbc_setConfiguration; a HOME does not do, since /etc/samba/smb.conf (the default one here)
# is read after it.
write_client_conf() { # workgroup [wins-ip]
    private_dirs "$CLIENT_DIR"
    mkdir -p "$CLIENT_DIR/.smb"
    if [[ -n ${2:-} ]]; then
        client_conf "$1" "wins bcast" "$2" >"$CLIENT_DIR/smb.conf"
        client_conf "$1" wins "$2" >"$CLIENT_DIR/smb-wins-only.conf"
    else
        client_conf "$1" bcast "" >"$CLIENT_DIR/smb.conf"
    fi
    ln -sf ../smb.conf "$CLIENT_DIR/.smb/smb.conf"
}

# ---- what the client sees ---------------------------------------------------------------
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

# Ask again every PAUSE seconds until COMMAND shows every line of stdin; fail when a daemon dies
# or time is up, saying MESSAGE and the lines still missing, joined by SEP.
wait_for() { # deadline(us) pause message sep command...
    local deadline=$1 pause=$2 message=$3 sep=$4 want missing
    shift 4
    want=$(sort -u)
    [[ -n $want ]] || return 0
    while :; do
        missing=$(comm -23 <(printf '%s\n' "$want") <("$@" | sort -u))
        [[ -z $missing ]] && return 0
        check_daemons_alive || return 1
        if (($(now) > deadline)); then
            say "$message: $(echo "$missing" | tr '\n' "$sep")"
            return 1
        fi
        sleep "$pause"
    done
}

# ---- lab.env ----------------------------------------------------------------------------
# Written whole or not at all: what every lab has, then the lab's own lines from stdin.
write_lab_env() {
    {
        cat <<EOF
LAB_LAYOUT=$LAYOUT
LAB_RUN_DIR=$RUN_DIR
LAB_CLIENT_NS=$CLIENT_NS
LAB_CLIENT_IP=$CLIENT_IP
LAB_CLIENT_HOME=$CLIENT_DIR
LAB_CLIENT_SMBCONF=$CLIENT_DIR/smb.conf
EOF
        cat
    } >"$ENV_FILE.tmp"
    mv "$ENV_FILE.tmp" "$ENV_FILE"
}

# ---- teardown ---------------------------------------------------------------------------
lab_namespaces() {
    ip netns list 2>/dev/null | awk -v p="$NS_PREFIX-" 'index($1, p) == 1 { print $1 }'
}

# PIDs still inside the lab's namespaces; only these and the ones we started are ever signalled.
lab_pids() {
    local ns
    for ns in $(lab_namespaces); do ip netns pids "$ns" 2>/dev/null || true; done
}

signal_pids() { # signal pids...
    local sig=$1 pid
    shift
    for pid in "$@"; do kill "-$sig" "$pid" 2>/dev/null || true; done
}

# A process that got TERM leaves its network namespace before it has finished exiting, so
# `ip netns pids` stops listing it early; watch the PIDs themselves until they are gone.
pid_running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [[ ${stat%% *} != Z ]]
}

# TERM what the lab started and whatever else runs in its namespaces, KILL what is left after
# STOP_GRACE seconds, then delete the namespaces, their /etc/netns folders and the run directory.
lab_down() {
    local pid ns i running rc=0
    local -A seen=() all=()
    if [[ -f $PID_FILE ]]; then
        while read -r pid _; do
            # A recorded PID counts only while it still lives in one of the lab's namespaces.
            if [[ $(ip netns identify "$pid" 2>/dev/null) == "$NS_PREFIX-"* ]]; then
                seen[$pid]=1
            fi
        done <"$PID_FILE"
    fi
    for i in $(seq $((STOP_GRACE * 10))); do
        for pid in $(lab_pids); do seen[$pid]=1; done
        for pid in "${!seen[@]}"; do all[$pid]=1; done
        running=()
        for pid in "${!seen[@]}"; do
            if pid_running "$pid"; then running+=("$pid"); else unset "seen[$pid]"; fi
        done
        ((${#running[@]})) || break
        if ((i == 1 || i % 10 == 0)); then signal_pids TERM "${running[@]}"; fi
        sleep 0.1
    done
    for i in 1 2 3 4 5; do
        mapfile -t running < <(lab_pids)
        ((${#running[@]})) || break
        signal_pids KILL "${running[@]}"
        sleep 0.2
    done
    for ns in $(lab_namespaces); do ip netns del "$ns" || rc=1; done
    rm -rf "/etc/netns/$NS_PREFIX-"*
    rm -rf "$RUN_DIR"
    rmdir "$RUN_ROOT" 2>/dev/null || true
    # Give init a moment to reap them, so that the next ps shows nothing of the lab.
    for i in $(seq 20); do
        running=()
        for pid in "${!all[@]}"; do if [[ -e /proc/$pid ]]; then running+=("$pid"); fi; done
        ((${#running[@]})) || break
        sleep 0.1
    done
    return "$rc"
}

# ---- commands ---------------------------------------------------------------------------
# The command line every lab takes: install, down and status, and LAB_COMMANDS, which need
# root and the TOOLS of the layout.
lab_main() { # command [layout [args...]]
    local cmd=${1:-}
    (($# > 0)) && shift
    case $cmd in
    install) cmd_install ;;
    down)
        load_layout "${1:-}"
        lab_down_command
        ;;
    status)
        load_layout "${1:-}"
        cmd_status
        ;;
    *)
        [[ $cmd =~ ^[a-z]+$ && " $LAB_COMMANDS " == *" $cmd "* ]] || usage
        load_layout "${1:-}"
        shift
        require_lab_tools "${TOOLS[@]}"
        "cmd_$cmd" "$@"
        ;;
    esac
}

# The start of `up`: a lab that is (partly) there is taken down first, and a start-up that
# fails from here on takes down what it built. `trap - EXIT INT TERM HUP` ends that once up.
# Ends with the network built.
lab_begin_up() {
    if [[ -d $RUN_DIR || -n $(lab_namespaces) ]]; then
        say "$LAYOUT is (partly) up; tearing it down first"
        lab_down
    fi
    trap lab_on_up_exit EXIT
    trap 'exit 130' INT TERM HUP
    mkdir -p "$RUN_DIR"
    : >"$PID_FILE"
    build_network
}

lab_on_up_exit() {
    local rc=$?
    ((rc == 0)) && return
    say "start-up failed (exit $rc); tearing the lab down"
    trap - EXIT
    lab_down || true
    exit "$rc"
}

# `down` for any caller: without root no lab can have been built, so there is nothing to do
# unless one is there.
lab_down_command() {
    if [[ $EUID -ne 0 ]]; then
        [[ -e $RUN_DIR || -n $(lab_namespaces) ]] || exit 0
        skip "needs root (network namespaces)"
    fi
    lab_down
}

# `status`: exit 0 when every daemon lives, 3 otherwise. NOTE is added to the line of a lab
# that is up.
lab_status() { # [note]
    local pid alive=0 total=0
    if [[ -f $ENV_FILE && -f $PID_FILE ]]; then
        while read -r pid _; do
            total=$((total + 1))
            kill -0 "$pid" 2>/dev/null && alive=$((alive + 1))
        done <"$PID_FILE"
        if ((alive == total && total > 0)); then
            echo "$LAYOUT: up ($total daemons${1:-}, $ENV_FILE)"
            return 0
        fi
        echo "$LAYOUT: broken ($alive of $total daemons alive)"
        return 3
    fi
    if [[ -d $RUN_DIR || -n $(lab_namespaces) ]]; then
        echo "$LAYOUT: partly up (not ready)"
    else
        echo "$LAYOUT: down"
    fi
    return 3
}

# `exec`: CMD in the client namespace, with lab.env exported.
cmd_exec() { # cmd...
    (($# > 0)) || usage
    [[ -f $ENV_FILE ]] || die "$LAYOUT is not up ($LAB_TAG.sh up $LAYOUT)"
    set -a
    # shellcheck source=/dev/null
    . "$ENV_FILE"
    set +a
    exec ip netns exec "$CLIENT_NS" env HOME="$CLIENT_DIR" "$@"
}

# ---- installing -------------------------------------------------------------------------
# "PID NAME" of every process named NAME... in the caller's network namespace. A script's
# process is named after its interpreter (python3), so the first two words of its command line
# count as names too.
daemons_in_own_netns() { # name...
    local dir self pid names want args
    self=$(readlink /proc/self/ns/net)
    for dir in /proc/[0-9]*; do
        pid=${dir#/proc/}
        names=$(cat "$dir/comm" 2>/dev/null) || continue
        mapfile -d '' -n 2 args <"$dir/cmdline" 2>/dev/null || continue
        names+=" $(basename -- "${args[0]:-.}") $(basename -- "${args[1]:-.}")"
        for want in "$@"; do
            [[ " $names " == *" $want "* ]] || continue
            [[ $(readlink "$dir/ns/net" 2>/dev/null) == "$self" ]] && printf '%s %s\n' "$pid" "$want"
        done
    done
}

# Install the packages not yet installed, starting no daemon: package scripts start their
# services through invoke-rc.d, which a policy-rc.d that exits 101 forbids. The guard is
# removed again when it was not there before, and on a systemd host the units of the packages
# this call installed are disabled, so nothing starts at the next boot either.
# Each argument is PACKAGE or PACKAGE:UNIT,UNIT...
install_packages() { # package[:units]...
    local rc guard=/usr/sbin/policy-rc.d created=no item missing=() units=() more
    [[ $EUID -eq 0 ]] || skip "needs root"
    for item in "$@"; do
        dpkg-query -W -f='${Status}' "${item%%:*}" 2>/dev/null | grep -q 'install ok installed' &&
            continue
        missing+=("${item%%:*}")
        if [[ $item == *:* ]]; then IFS=, read -ra more <<<"${item#*:}" && units+=("${more[@]}"); fi
    done
    if ((${#missing[@]} == 0)); then
        say "already installed: ${*%%:*}"
        return 0
    fi
    if [[ ! -e $guard ]]; then
        printf '#!/bin/sh\n# Velnor lab: packages start no services.\nexit 101\n' >"$guard"
        chmod 755 "$guard"
        created=yes
    fi
    rc=0
    "$guard" >/dev/null 2>&1 || rc=$?
    if ((rc != 101)); then
        [[ $created == no ]] || rm -f "$guard"
        die "$guard exists but exits $rc, not 101; refusing to install ${missing[*]}"
    fi
    export DEBIAN_FRONTEND=noninteractive
    rc=0
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}" || rc=$?
    [[ $created == no ]] || rm -f "$guard"
    if [[ -d /run/systemd/system ]] && ((${#units[@]})); then
        systemctl disable --now "${units[@]}" >/dev/null 2>&1 || true
    fi
    ((rc == 0)) || die "apt-get install failed ($rc)"
    say "installed: ${missing[*]}"
}

# install_packages, then check that it started none of DAEMONS in the root network namespace,
# where it would serve the real network. Those that ran there before are the machine's own (a
# desktop's avahi-daemon, wsdd or smbd): the labs run theirs in namespaces of their own beside
# them, and leave them alone.
install_lab_packages() { # "daemon..." package[:units]...
    local daemons before started names="" d
    read -ra daemons <<<"$1"
    shift
    before=$(daemons_in_own_netns "${daemons[@]}" | sort)
    install_packages "$@"
    started=$(comm -13 <(echo "$before") <(daemons_in_own_netns "${daemons[@]}" | sort) |
        sed '/^$/d')
    [[ -z $started ]] ||
        die "daemons started in the root network namespace: $(echo "$started" | tr '\n' ' ')"
    [[ -z $before ]] || say "left alone, as they ran before: $(echo "$before" | tr '\n' ' ')"
    for d in "${daemons[@]:0:${#daemons[@]}-1}"; do names+="$d, "; done
    say "started no ${names%, }${names:+ or }${daemons[-1]} in the root network namespace"
}
