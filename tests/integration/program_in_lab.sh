#!/usr/bin/env bash
# Runs the whole program in a lab's client namespace (through tests/lab/smblab.sh or
# discolab.sh exec) on a virtual display, saves its report with Alt+S as a user would, and checks
# that the report lists every computer of the lab once, with its address, and every computer the
# lab has switched off (LAB_SWITCHED_OFF) and every name nothing answers to (LAB_NO_ADDRESS)
# once, without one; and that no CR stands inside a line (a name from the network that kept its
# CR would hide in the report's CRLF line ends).
#   [REFRESHES=N] program_in_lab.sh VELNOR_BINARY [SCREENSHOT.png]
set -euo pipefail
binary=$1
screenshot=${2:-}
refreshes=${REFRESHES:-0}
computers=${LAB_PEERS:-${LAB_SERVERS:-}}
[ -n "$computers" ] || { echo "not inside a lab" >&2; exit 77; }
# shellcheck source=tests/integration/window_driver.sh
. "$(dirname "$0")/window_driver.sh"
driver_require

driver_start "$binary"

# Save until the report holds every server: the list fills while the window is already up.
expected=$({
    for pair in $computers; do echo "${pair%%=*} - ${pair#*=}"; done
    for name in ${LAB_SWITCHED_OFF:-} ${LAB_NO_ADDRESS:-}; do echo "$name - "; done
} | sort)
previous=""
saved="" saves=0 started=$SECONDS
for attempt in $(seq 20); do
    sleep 2
    report=$WORK/report-$attempt.txt
    driver_save "$report" || continue
    saved=$report saves=$((saves + 1))
    listed=$(tr -d '\r' <"$report" | sed -n '/^Network IPs$/,$p' | tail -n +2 | sort)
    # A list that lacks a computer and has not changed since the last save was a walk that
    # missed it (a slow build may still be walking at a save, and a Refresh then starts
    # nothing): refresh, as a user would, at most REFRESHES times (0 by default: one walk must
    # find everything).
    if [ "$listed" != "$expected" ] && [ "$listed" = "$previous" ] &&
        ! grep -q '^None Found' <<<"$listed" && [ "$refreshes" -gt 0 ]; then
        refreshes=$((refreshes - 1))
        previous=""
        xdotool windowfocus --sync "$WINDOW" key alt+e
        continue
    fi
    previous=$listed
    if [ "$listed" = "$expected" ]; then
        if LC_ALL=C grep -q $'\r.' "$report"; then
            echo "the report holds a CR inside a line:" >&2
            LC_ALL=C grep -n $'\r.' "$report" | cat -A >&2
            exit 1
        fi
        [ -n "$screenshot" ] && import -window root "$screenshot"
        echo "the report lists every computer of the lab with its address:"
        echo "$listed"
        exit 0
    fi
done
echo "the report never listed the lab's computers; last report:" >&2
cat "${saved:-/dev/null}" >&2 || true
echo "expected:" >&2
echo "$expected" >&2
# The walk's time is fixed however busy the machine is: a starved one shows here.
echo "$saves of $attempt saves written in $((SECONDS - started)) s;" \
    "load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores" >&2
driver_output
exit 1
