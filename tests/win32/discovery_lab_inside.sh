#!/usr/bin/env bash
# Run by discovery_lab_test.sh inside a discovery lab's client namespace (the lab's variables
# set): both programs' reports, each against the lab's computers and against each other.
#   discovery_lab_inside.sh WINDOWS_BUILD_DIR LINUX_VELNOR
set -euo pipefail
build=$1
linux=$2
here=$(dirname "$(realpath "$0")")
# shellcheck source=tests/win32/wine_desktop.sh
. "$here/wine_desktop.sh"
wine_desktop_start

# Every computer of the lab, with its address; a name nothing answers to, without one. Those
# are names that a liar put into the SMB browse list, and Wine has no browse service (the
# network provider router lists nothing there): the Windows program cannot see them.
computers=$(for pair in $LAB_PEERS; do echo "${pair%%=*} - ${pair#*=}"; done | sort)
browse_only=$(for name in ${LAB_NO_ADDRESS:-}; do echo "$name - "; done)
listed() { tr -d '\r' <"$1" | sed -n '/^Network IPs$/,$p' | tail -n +2 | sort; }

# A walk that lost a datagram misses a computer: a second walk may find it, as a user's
# Refresh would (the loss-free lab loses none; a starved machine may).
report() { # name expected command...
    local name=$1 expected=$2 attempt
    shift 2
    for attempt in 1 2; do
        "$@" --report >"$WORK/$name.txt" 2>"$WORK/$name.err" || true
        if [ "$(listed "$WORK/$name.txt")" = "$expected" ]; then
            echo "ok: the $name program lists every computer of the lab (walk $attempt)"
            return 0
        fi
    done
    echo "FAIL: the $name program's list is not the lab's:" >&2
    diff <(echo "$expected") <(listed "$WORK/$name.txt") >&2 || true
    cat "$WORK/$name.err" >&2
    return 1
}

status=0
report windows "$computers" wine "$build/velnor.exe" || status=1
report linux "$(sort <<<"$computers${browse_only:+$'\n'$browse_only}")" "$linux" || status=1
# The same report on both systems, but for the time it was made and the order of the rows:
# each program lists computers in the order their answers came.
normal() {
    sed 1d "$1" | sed -n '1,/^Network IPs\r$/p'
    listed "$1" | grep -vxF -f <(echo "$browse_only") || true
}
if cmp -s <(normal "$WORK/linux.txt") <(normal "$WORK/windows.txt"); then
    echo "ok: the Windows program's report is the Linux program's"
else
    echo "FAIL: the reports differ:" >&2
    diff <(normal "$WORK/linux.txt" | cat -A) <(normal "$WORK/windows.txt" | cat -A) >&2 || true
    status=1
fi

# Switched off in the registry, discovery sends nothing: only the browse list is left, which is
# empty under Wine.
wine reg add 'HKCU\Software\Brantel Software\Velnor' /v Discovery /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1
wine "$build/velnor.exe" --report >"$WORK/off.txt" 2>/dev/null || true
if [ "$(listed "$WORK/off.txt")" = "None Found - " ]; then
    echo "ok: with discovery switched off the Windows program finds none"
else
    echo "FAIL: with discovery switched off the Windows program listed:" >&2
    listed "$WORK/off.txt" >&2
    status=1
fi
wine_desktop_stop
exit $status
