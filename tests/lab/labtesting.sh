# Shared by the lab scripts' self-tests; sourced, not run. Counting checks, and what a lab
# must leave behind when it goes down. The sourcing script sets LAB (the lab script's path), and
# removes `logs`, a folder of its own, when it ends.
# shellcheck shell=bash

passed=0 failed=0
# Debian's interpreter, which the labs' helpers are written for.
# shellcheck disable=SC2034 # used by the sourcing scripts
readonly PY=/usr/bin/python3
logs=$(mktemp -d)

check() { # description command...
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1)) && echo "ok - $what"
    else
        failed=$((failed + 1)) && echo "not ok - $what"
    fi
}

exits_with() { # code command...
    local want=$1 rc=0
    shift
    "$@" >/dev/null 2>&1 || rc=$?
    [[ $rc == "$want" ]]
}

# The summary line; fails when a check did.
report() {
    echo "$passed passed, $failed failed"
    ((failed == 0))
}

load_env() { # layout
    unset "${!LAB_@}"
    # shellcheck source=/dev/null
    . "/run/velnor-lab/$1/lab.env"
}

# `up` run by user nobody, from a copy of the scripts that nobody can read wherever the work
# tree lives.
refuses_non_root() { # layout
    local tmp rc=0
    tmp=$(mktemp -d) && chmod 755 "$tmp" &&
        install -m 755 "$LAB" "${LAB%/*}/labcommon.sh" "$tmp/"
    exits_with 77 setpriv --reuid 65534 --regid 65534 --clear-groups "$tmp/${LAB##*/}" up "$1" ||
        rc=$?
    rm -rf "$tmp"
    return "$rc"
}

# Sorted "WORKGROUP:NAME" pairs of the client's SMB browse walk.
browse_pairs() { # layout
    "$LAB" exec "$1" smbtree -S -U guest% 2>/dev/null |
        awk -F'\t' '/^[^\t]/ { wg = $1; sub(/ +$/, "", wg) }
                    /^\t\\\\/ { n = $2; sub(/^\\\\/, "", n); sub(/ +$/, "", n); print wg ":" n }' |
        sort || true
}

# Inside every namespace of the layout the only name server is 127.0.0.1.
dns_kept_inside() { # layout
    local ns
    for ns in $(ip netns list | awk -v p="vlab-$1-" 'index($1, p) == 1 { print $1 }'); do
        [[ $(ip netns exec "$ns" grep '^nameserver' /etc/resolv.conf) == "nameserver 127.0.0.1" ]] ||
            { echo "  $ns: resolv.conf not the lab's" >&2; return 1; }
    done
}

# Everything the lab ran, before it goes down: its daemons and whatever they spawned.
lab_pids() { # layout
    local ns
    for ns in $(ip netns list | awk -v p="vlab-$1-" 'index($1, p) == 1 { print $1 }'); do
        ip netns pids "$ns"
    done
}

nothing_left() { # layout pids...
    local layout=$1 pid
    shift
    ! ip netns list | grep -q "^vlab-$layout-" || { echo "  namespaces left" >&2; return 1; }
    ! compgen -G "/etc/netns/vlab-$layout-*" >/dev/null ||
        { echo "  /etc/netns left" >&2; return 1; }
    [[ ! -e /run/velnor-lab/$layout ]] || { echo "  run dir left" >&2; return 1; }
    ! mount | grep -q "velnor-lab/$layout" || { echo "  mounts left" >&2; return 1; }
    for pid in "$@"; do
        [[ ! -e /proc/$pid ]] ||
            { echo "  PID $pid ($(cat "/proc/$pid/comm" 2>/dev/null)) left" >&2; return 1; }
    done
}

root_links() { ip -o link show | awk -F': ' '{ print $2 }' | sort; }
