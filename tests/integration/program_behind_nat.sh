#!/usr/bin/env bash
# Runs the whole program in the NAT lab's client namespace (through tests/lab/natlab.sh exec) on
# a virtual display, saves its report with Alt+S as a user would once the Internet address is
# shown, and checks that the report gives the router's outside address and its name, as the
# lab's STUN server and name server tell them, and nowhere the client's own address. With
# --stun-off (the caller has run `natlab.sh stun off nat`) it checks "Not Connected" and no name.
#   program_behind_nat.sh [--stun-off] VELNOR_BINARY [SCREENSHOT.png]
set -euo pipefail
stun_off=no
if [ "${1:-}" = --stun-off ]; then
    stun_off=yes
    shift
fi
binary=${1:?usage: program_behind_nat.sh [--stun-off] VELNOR_BINARY [SCREENSHOT.png]}
screenshot=${2:-}
[ -n "${LAB_EXTERNAL_IP:-}" ] || { echo "not inside the NAT lab" >&2; exit 77; }
# shellcheck source=tests/integration/window_driver.sh
. "$(dirname "$0")/window_driver.sh"
driver_require

# The lab as the test expects it, or the failure would be blamed on the program.
if [ -n "${LAB_STUN_QUERY:-}" ]; then
    IFS=';' read -ra servers <<<"$LAB_STUN_SERVERS"
    answer=$(/usr/bin/python3 "$LAB_STUN_QUERY" -t 1.5 "${servers[@]}" 2>/dev/null) || answer=none
    if [ $stun_off = yes ] && [ "$answer" != none ]; then
        echo "the lab's STUN server answers ($answer): run natlab.sh stun off nat first" >&2
        exit 1
    elif [ $stun_off = no ] && [ "$answer" != "$LAB_EXTERNAL_IP" ]; then
        echo "the lab's STUN server gives $answer, not $LAB_EXTERNAL_IP" >&2
        exit 1
    fi
fi
if [ $stun_off = yes ]; then
    want_ip="Internet IP: Not Connected" want_host="Host: "
else
    want_ip="Internet IP: $LAB_EXTERNAL_IP" want_host="Host: $LAB_EXTERNAL_HOST"
fi

driver_start "$binary"

# Save until the status lines are final: an Internet address (or Not Connected) after the
# caption and the list's section. The name may follow the address: a few more saves for it.
line_of() { tr -d '\r' <"$report" | grep -m 1 "^$1" || true; }
report=""
after_final=0
for attempt in $(seq 20); do
    sleep 1.5
    report=$WORK/report-$attempt.txt
    driver_save "$report" || continue
    ip_line=$(line_of 'Internet IP: ')
    host_line=$(line_of 'Host: ')
    if [ -z "$ip_line" ] || [ "$ip_line" = "Internet IP: " ]; then continue; fi
    tr -d '\r' <"$report" | grep -qx 'Network IPs' || continue
    if [ "$host_line" = "Host: " ] && [ $stun_off = no ] && [ "$after_final" -lt 3 ]; then
        after_final=$((after_final + 1))
        continue
    fi
    echo "status final in save $attempt: [$ip_line] [$host_line]"
    failed=no
    for want in "$want_ip" "$want_host"; do
        tr -d '\r' <"$report" | grep -qxF "$want" ||
            { echo "the report lacks the line \"$want\"" >&2; failed=yes; }
    done
    case "$ip_line$host_line" in
    *"$LAB_CLIENT_IP"*)
        echo "the client's own address $LAB_CLIENT_IP stands in the status lines" >&2
        failed=yes
        ;;
    esac
    if [ $failed = no ]; then
        [ -z "$screenshot" ] || import -window root "$screenshot"
        echo "the report shows what the outside sees: [$ip_line] [$host_line]"
        exit 0
    fi
    break
done
echo "report:" >&2
cat "${report:-/dev/null}" >&2 2>/dev/null || echo "(none saved)" >&2
driver_output
exit 1
