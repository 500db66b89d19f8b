#!/usr/bin/env bash
# The program's command line, run for real: each row's arguments, exit status, standard output
# and standard error. --report runs in a namespace with loopback only and without a display.
#   command_line.sh VELNOR_BINARY
set -euo pipefail
binary=$1
cd "$(dirname "$0")/../.."
# shellcheck source=scripts/setup.sh
source scripts/setup.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# check "ARGS" STATUS STDOUT-PATTERN STDERR-PATTERN (extended regular expressions, whole output)
check() {
    local args=$1 want=$2 out=$3 err=$4 status=0 got_out got_err
    # shellcheck disable=SC2086 # the arguments split as a shell would
    env -u DISPLAY -u WAYLAND_DISPLAY "$binary" $args >"$work/out" 2>"$work/err" || status=$?
    # Whole, trailing line breaks included.
    got_out=$(cat "$work/out"; echo x) got_err=$(cat "$work/err"; echo x)
    if [ "$status" != "$want" ] || ! [[ ${got_out%x} =~ ^($out)$ ]] ||
        ! [[ ${got_err%x} =~ ^($err)$ ]]; then
        echo "FAIL: velnor $args: status $status (want $want)" >&2
        sed 's/^/  out: /' "$work/out" >&2
        sed 's/^/  err: /' "$work/err" >&2
        failures=$((failures + 1))
    else
        echo "ok: velnor $args"
    fi
}

n=$'\n'
version="Velnor [0-9]+\.[0-9]+\.[0-9]+$n"
help="Usage: velnor \[--help\] \[--version\] \[--report\]$n.*--report.*"
check "--version" 0 "$version" ""
check "--help" 0 "$help" ""
check "-h --report" 0 "$help" ""
check "--report --version" 0 "$version" ""
check "--bogus" 2 "" "velnor: Unknown option 'bogus'\.${n}Try 'velnor --help'\.$n"
check "--report=yes" 2 "" "velnor: Unexpected value after '--report'\.${n}.*"
check "-x" 2 "" "velnor: Unknown option 'x'\.${n}.*"
check "report" 2 "" "velnor: Unexpected argument 'report'\.${n}.*"

# The report as Save writes it: CRLF line ends, the status lines, the list.
if ! velnor_isolated true 2>/dev/null; then
    echo "skipped: velnor --report (no private network namespace here)"
    [ "$failures" = 0 ]
    exit
fi
status=0
velnor_isolated env -u DISPLAY -u WAYLAND_DISPLAY "$binary" --report >"$work/report" \
    2>"$work/err" || status=$?
if [ "$status" = 0 ] && head -n 1 "$work/report" | grep -q "^File created by .* on .* at .*"$'\r'"$" &&
    [ "$(grep -c $'\r$' "$work/report")" = "$(wc -l <"$work/report")" ] &&
    grep -q $'^Internet IP: .*\r$' "$work/report" && grep -q $'^Network IPs\r$' "$work/report"; then
    echo "ok: velnor --report"
else
    echo "FAIL: velnor --report: status $status" >&2
    cat -A "$work/report" "$work/err" >&2
    failures=$((failures + 1))
fi
[ "$failures" = 0 ]
