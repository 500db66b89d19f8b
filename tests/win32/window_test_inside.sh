#!/usr/bin/env bash
# The body of window_test.sh, in its namespace: see there.
set -euo pipefail
build=$1
linux=$2
exe="$build/velnor.exe"
driver="$build/tests/velnor_driver.exe"
here=$(dirname "$(realpath "$0")")
source "$here/wine_desktop.sh"

address_page_network velnor-test-pc
wine_desktop_start

d() { wine "$driver" "$@"; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { # what, expected, actual
    if [ "$2" == "$3" ]; then echo "ok: $1"; else fail "$1: expected \"$2\", got \"$3\""; fi
}
start_velnor() {
    wine "$exe" >"$WORK/velnor.log" 2>&1 &
    velnor=$!
    pids+=("$velnor")
    d wait main 60 || { fail "no window"; cat "$WORK/velnor.log"; exit 1; }
}
retrieved() { d wait-text main lblStatus "Status : Information Retrieved" 60; }
ended() { # waits for the Wine process that started the program
    for _ in $(seq 100); do kill -0 "$velnor" 2>/dev/null || return 0; sleep 0.1; done
    return 1
}

# The Linux program's report of the same page, in the same namespace.
"$linux" --report >"$WORK/linux.txt"

echo "== the load"
start_velnor
retrieved || fail "the load did not end"
check "captions in order" \
    "Local Host: VELNOR-TEST-PC|Local IP: 192.0.2.10|Internet IP: 203.0.113.7|Host: dsl-7.isp.example|Network is Installed" \
    "$(for c in lblLHost lblLIP lblExtIP lblISP lblAnswer; do d text main $c; done | paste -sd'|')"
check "title" "Internet and Network IP Address" "$(d text main Label2)"
check "list without a neighbourhood" "None Found	" "$(d rows)"

echo "== Save"
d save "Z:$(echo "$WORK/saved.txt" | tr / '\\')" 30 || fail "the save dialog"
# The same report as the Linux program's, but for the time it was made, and the local names
# and address, which the two systems read each their own way.
strip() { sed -e '1d' -e '/^Local Host: /d' -e '/^Local IP: /d' "$1"; }
if cmp <(strip "$WORK/linux.txt") <(strip "$WORK/saved.txt"); then
    echo "ok: the saved report is the Linux program's"
else
    fail "the saved report differs from the Linux program's:"
    diff <(strip "$WORK/linux.txt" | cat -A) <(strip "$WORK/saved.txt" | cat -A) || true
fi
grep -q $'^Local IP: 192.0.2.10\r$' "$WORK/saved.txt" || fail "saved Local IP"

echo "== the command line"
# The Windows program's report without a window is the one it saves; its statuses are Linux's.
wine "$exe" --report >"$WORK/report.txt" || fail "--report ended with status $?"
cmp <(sed 1d "$WORK/report.txt") <(sed 1d "$WORK/saved.txt") && echo "ok: --report is the saved report" ||
    fail "--report differs from the saved report"
check "--version" "Velnor 2.0.0" "$(wine "$exe" --version | tr -d '\r')"
status=0
wine "$exe" --bogus 2>/dev/null || status=$?
check "an unknown option's status" 2 "$status"

echo "== Copy"
d click main cmdCopy
d clipboard >"$WORK/copied.txt" || fail "nothing on the clipboard"
# The copy report: the saved one without the other addresses and the Internet host name.
for lines in 3 2 8,10 '12,$'; do sed -n "${lines}p" "$WORK/saved.txt"; done >"$WORK/expected-copy.txt"
cmp <(sed 1d "$WORK/copied.txt") "$WORK/expected-copy.txt" && echo "ok: the copy report" ||
    { fail "the copy report"; diff <(sed 1d "$WORK/copied.txt" | cat -A) <(cat -A "$WORK/expected-copy.txt") || true; }

echo "== Reset, Refresh and the fill button"
d click main cmdReset
check "Reset: local address" "Local IP: " "$(d text main lblLIP)"
check "Reset: external address" "External IP: " "$(d text main lblExtIP)"
check "Reset: the list" "" "$(d rows)"
echo '<b>Your IP: 198.51.100.9</b><b>Host: other.isp.example</b>' >"$WORK/page"
d click main cmdRefresh2
d wait-text main lblExtIP "Internet IP: 198.51.100.9" 30 || fail "Refresh read the page again"
retrieved || fail "Refresh ended"
check "Refresh: host" "Host: other.isp.example" "$(d text main lblISP)"
check "Refresh: local address back" "Local IP: 192.0.2.10" "$(d text main lblLIP)"
check "Refresh: the list" "None Found	" "$(d rows)"
# The fill alone: the list emptied and filled again, with nothing to list under Wine.
d click main cmdRefresh
sleep 3
check "fill button: the list" "" "$(d rows)"

echo "== About"
d click main cmdAbout
d wait about 30 || fail "no About window"
check "About: caption" "About Velnor" "$(d text about -)"
check "About: version" "Version 2.0.0" "$(d text about lblVersion)"
d topmost about || fail "About is not on top"
d click about AboutCommand4
message=$(d message 30) || fail "System Info: no answer"
echo "ok: System Info answers: $message"
d click about AboutCommand3
sleep 1
d wait about 0 && fail "About did not close"

echo "== Close"
# Wine itself takes a while to end any process that had a window: a bare window measures it,
# and the program may take half a second more.
wine "$build/tests/velnor_bare_window.exe" &
pids+=($!)
d wait VelnorBare 60 || fail "no bare window"
bare=$(d close-within VelnorBare cmdClose 10000) || fail "the bare window did not end"
allowed=$((bare + 500))
echo "Wine ends a bare window in $bare ms: the program may take $allowed ms"
close_now() { # when
    local took
    if took=$(d close-within main cmdClose "$allowed"); then
        echo "ok: Close $1 ended the program in $took ms"
    else
        fail "Close $1: the program still ran $allowed ms later (${took:-more than 10 s})"
    fi
}
close_now "after the load"
ended || fail "Wine still runs the program"

# At once after the start, and while the address page is still coming (it never ends).
echo '<b>Your IP: 203.0.113.7</b>' >"$WORK/page"
start_velnor
close_now "during the start"
ended || fail "Wine still runs the program"
echo hang >"$WORK/page"
: >"$WORK/requests"
start_velnor
for _ in $(seq 300); do [ -s "$WORK/requests" ] && break; sleep 0.1; done
[ -s "$WORK/requests" ] || fail "the page was not asked for"
close_now "while the page comes"
ended || fail "Wine still runs the program"

wine_desktop_stop
[ "$failures" -eq 0 ] || { echo "$failures failed"; exit 1; }
echo "all passed"
