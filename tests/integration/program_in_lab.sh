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
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 77; }
done

work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 640x520x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

"$binary" >"$work/velnor.log" 2>&1 &
pids+=($!)
window=$(timeout 30 xdotool search --sync --name '^Velnor$' | head -n 1)

# Save until the report holds every server: the list fills while the window is already up.
expected=$({
    for pair in $computers; do echo "${pair%%=*} - ${pair#*=}"; done
    for name in ${LAB_SWITCHED_OFF:-} ${LAB_NO_ADDRESS:-}; do echo "$name - "; done
} | sort)
for attempt in $(seq 20); do
    sleep 2
    report=$work/report-$attempt.txt
    xdotool windowfocus --sync "$window" key alt+s
    # The dialog can take seconds to come up in a slow (sanitizer) build: type only into it.
    dialog=$(timeout 20 xdotool search --sync --name '^Save Data as' | head -n 1) || continue
    xdotool windowfocus --sync "$dialog"
    sleep 0.5
    xdotool key ctrl+a type --delay 10 "$report"
    xdotool key Return
    for _ in $(seq 20); do [ -s "$report" ] && break; sleep 0.1; done
    [ -s "$report" ] || continue
    listed=$(tr -d '\r' <"$report" | sed -n '/^Network IPs$/,$p' | tail -n +2 | sort)
    # A full list that lacks a computer was a walk that missed it: refresh, as a user would,
    # at most REFRESHES times (0 by default: one walk must find everything).
    if [ "$listed" != "$expected" ] && ! grep -q '^None Found' <<<"$listed" &&
        [ "$refreshes" -gt 0 ]; then
        refreshes=$((refreshes - 1))
        xdotool windowfocus --sync "$window" key alt+e
        continue
    fi
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
cat "${report:-/dev/null}" >&2 || true
echo "expected:" >&2
echo "$expected" >&2
echo "the program's output:" >&2
tail -n 40 "$work/velnor.log" >&2 || true
exit 1
