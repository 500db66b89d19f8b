#!/usr/bin/env bash
# The program's command line, run for real: each row's arguments, exit status, standard output
# and standard error. --report runs in a namespace with loopback only and without a display.
# Given a library that makes thread starts fail (fail_threads.cpp) and a module of another
# version (stale_module.cpp), --report must still come whole when threads cannot start and
# when a stale module lies beside the program.
#   command_line.sh VELNOR_BINARY [FAIL_THREADS_LIBRARY STALE_MODULE]
set -euo pipefail
binary=$1
fail_threads=${2:-}
stale_module=${3:-}
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

# writes "ARGS" STATUS STDERR-LINE-PATTERN: standard output to /dev/full, then closed; standard
# error must hold a line that matches
writes() {
    local args=$1 want=$2 err=$3 status how
    for how in full closed; do
        status=0
        # shellcheck disable=SC2086 # the arguments split as a shell would
        if [ "$how" = full ]; then
            "${run[@]}" "$binary" $args >/dev/full 2>"$work/err" || status=$?
        else
            "${run[@]}" "$binary" $args >&- 2>"$work/err" || status=$?
        fi
        if [ "$status" != "$want" ] || ! grep -Eqx "$err" "$work/err"; then
            echo "FAIL: velnor $args, standard output $how: status $status (want $want)" >&2
            sed 's/^/  err: /' "$work/err" >&2
            failures=$((failures + 1))
        else
            echo "ok: velnor $args, standard output $how"
        fi
    done
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
run=(env -u DISPLAY -u WAYLAND_DISPLAY)
unwritten="velnor: (cannot write to standard output: No space left on device|standard output is closed)"
writes "--version" 1 "$unwritten"
writes "--help" 1 "$unwritten"

# The report as Save writes it: CRLF line ends, the status lines, the list.
if ! velnor_isolated true 2>/dev/null; then
    echo "skipped: velnor --report (no private network namespace here)"
    [ "$failures" = 0 ]
    exit
fi
run=(velnor_isolated env -u DISPLAY -u WAYLAND_DISPLAY)
# report NAME [ENV...]: --report, in a namespace with loopback only, prints a whole report and
# nothing else on standard output, and ends with status 0.
report() {
    local name=$1 status=0
    shift
    "${run[@]}" "$@" "$binary" --report >"$work/report" 2>"$work/err" || status=$?
    if [ "$status" = 0 ] &&
        head -n 1 "$work/report" | grep -q "^File created by .* on .* at .*"$'\r'"$" &&
        [ "$(grep -c $'\r$' "$work/report")" = "$(wc -l <"$work/report")" ] &&
        grep -q $'^Internet IP: .*\r$' "$work/report" && grep -q $'^Network IPs\r$' "$work/report"
    then
        echo "ok: velnor --report ($name)"
    else
        echo "FAIL: velnor --report ($name): status $status" >&2
        cat -A "$work/report" "$work/err" >&2
        failures=$((failures + 1))
    fi
}
report "loopback only"
writes "--report" 1 "$unwritten"

# What the SMB library makes of a broken configuration goes to standard error.
mkdir -p "$work/home/.smb"
printf '[global]\n   no such parameter = 1\n' >"$work/home/.smb/smb.conf"
report "a broken smb.conf" HOME="$work/home"
grep -q "no such parameter" "$work/err" || echo "note: the SMB library said nothing of it"

# No interface up at all, not even loopback: the SMB library would end the process.
if [ "$(id -u)" -eq 0 ]; then
    run=(unshare --net env -u DISPLAY -u WAYLAND_DISPLAY)
else
    run=(unshare --user --map-root-user --net env -u DISPLAY -u WAYLAND_DISPLAY)
fi
report "no interface up"
run=(velnor_isolated env -u DISPLAY -u WAYLAND_DISPLAY)

if [ -n "$fail_threads" ]; then
    # Every thread start in turn fails, then all of them: a system out of threads.
    preload=(LD_PRELOAD="$fail_threads" ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0")
    report "threads counted" "${preload[@]}" VELNOR_COUNT_THREADS="$work/threads"
    starts=$(wc -l <"$work/threads")
    for fail in all $(seq 1 "$starts"); do
        report "thread start $fail of $starts fails" "${preload[@]}" VELNOR_FAIL_THREADS="$fail"
    done
fi

if [ -n "$stale_module" ]; then
    # A network module of another version beside the program: not used, and said so.
    mkdir "$work/stale"
    cp "$binary" "$work/stale/velnor"
    cp "$stale_module" "$work/stale/velnor-network.so"
    binary=$work/stale/velnor report "a stale module"
    if ! grep -q "velnor-network.so is not of version" "$work/err"; then
        echo "FAIL: nothing said of the stale module" >&2
        failures=$((failures + 1))
    fi
fi
[ "$failures" = 0 ]
