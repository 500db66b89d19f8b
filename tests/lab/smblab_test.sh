#!/usr/bin/env bash
# Checks that smblab.sh builds what its callers rely on and removes all of it again.
# Needs root and Samba; exits 77 (skipped) otherwise. Takes about 50 s.
set -euo pipefail

LAB=$(cd "$(dirname "$0")" && pwd)/smblab.sh
# shellcheck source=labtesting.sh
. "${LAB%/*}/labtesting.sh"

cleanup() {
    "$LAB" down basic >/dev/null 2>&1 || true
    "$LAB" down bench30 >/dev/null 2>&1 || true
    rm -rf "$logs"
}
trap cleanup EXIT

# Exactly the expected names: a missing server and a stray entry (nmbd can add a workgroup
# with an empty name) are both faults.
browse_list_exact() { # layout
    diff <(browse_pairs "$1") <(tr ' ' '\n' <<<"$LAB_MEMBERS" | sort)
}

# Every name lists exactly its shares, with the right type, over SMB2/3.
shares_exact() { # layout
    local entry name got want
    for entry in $LAB_SERVERS; do
        name=${entry%%=*}
        got=$("$LAB" exec "$1" smbclient -U guest% -g -L "$name" 2>/dev/null |
            awk -F'|' '$1 == "Disk" || $1 == "Printer" { print $1 ":" $2 }' | sort)
        want=$(for s in $LAB_SHARES; do
            [[ ${s%%:*} == "$name" ]] || continue
            if [[ " $LAB_PRINTER_SHARES " == *" $s "* ]]; then
                echo "Printer:${s#*:}"
            else
                echo "Disk:${s#*:}"
            fi
        done | sort)
        [[ $got == "$want" ]] || { echo "  $name: got [$got] want [$want]" >&2; return 1; }
    done
}

smb1_refused() { # layout name
    ! "$LAB" exec "$1" smbclient -m NT1 -U guest% -L "$2" >/dev/null 2>&1
}

wins_resolves_all() { # layout
    local entry
    for entry in $LAB_SERVERS; do
        "$LAB" exec "$1" nmblookup --recursion -U "$LAB_WINS" "${entry%%=*}" |
            grep -qx "${entry#*=} ${entry%%=*}<00>" ||
            { echo "  WINS: no ${entry%%=*}" >&2; return 1; }
    done
}

bcast_resolves() { # layout name address
    "$LAB" exec "$1" nmblookup -B "$LAB_BCAST" "$2" | grep -qx "$3 $2<00>"
}

# ---- run ---------------------------------------------------------------------------------
if [[ $EUID -ne 0 ]] || ! command -v smbd >/dev/null; then
    echo "skipped: needs root and Samba (smblab.sh install)"
    exit 77
fi

check "up refuses a non-root caller with 77" refuses_non_root basic

links_before=$(root_links)
# Both layouts at once: they must not step on each other.
"$LAB" up basic >/dev/null 2>"$logs/basic" &
up_basic=$!
"$LAB" up bench30 >/dev/null 2>"$logs/bench30" &
up_bench=$!
rc=0 && wait "$up_basic" || rc=$?
((rc != 77)) || { echo "skipped: $(tail -n1 "$logs/basic")"; exit 77; }
check "up basic" test "$rc" -eq 0
((rc == 0)) || cat "$logs/basic"
rc=0 && wait "$up_bench" || rc=$?
check "up bench30" test "$rc" -eq 0
((rc == 0)) || cat "$logs/bench30"
check "nothing added to the root network namespace" test "$(root_links)" == "$links_before"

load_env basic
check "basic: browse list holds exactly the expected names" browse_list_exact basic
check "basic: every name lists its shares" shares_exact basic
check "basic: SRV2 refuses SMB1" smb1_refused basic SRV2
check "basic: WINS resolves every name" wins_resolves_all basic
check "basic: ALPHA answers a broadcast" bcast_resolves basic ALPHA 10.231.0.1
check "basic: DNS stays in the namespaces" dns_kept_inside basic

load_env bench30
check "bench30: 30 names" test "$(wc -w <<<"$LAB_SERVERS")" -eq 30
check "bench30: browse list holds exactly the expected names" browse_list_exact bench30
check "bench30: every name lists its shares" shares_exact bench30

mapfile -t pids < <(lab_pids basic)
check "down basic" "$LAB" down basic
check "down basic leaves nothing" nothing_left basic "${pids[@]}"
check "down basic leaves bench30 up" exits_with 0 "$LAB" status bench30
check "down is idempotent" "$LAB" down basic

check "a failing up fails" exits_with 1 env SMBLAB_UP_TIMEOUT=3 "$LAB" up basic
check "a failing up leaves nothing" nothing_left basic

mapfile -t pids < <(lab_pids bench30)
check "down bench30" "$LAB" down bench30
check "down bench30 leaves nothing" nothing_left bench30 "${pids[@]}"
check "root network namespace unchanged after down" test "$(root_links)" == "$links_before"

report
