# shellcheck shell=bash
# Shared by the scripts that drive the real program as a user would; sourced, not run. Starts a
# virtual display and the program on it, and saves the report through the Save button's dialog.
# Sets WORK (a temporary folder, removed at exit with everything started here) and WINDOW.

WORK=$(mktemp -d)
driver_pids=()
# shellcheck disable=SC2317 # run by the EXIT trap
driver_cleanup() {
    for pid in "${driver_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap driver_cleanup EXIT

driver_require() { # exits 77 when a tool the driver needs is missing
    local tool
    for tool in Xvfb xdotool; do
        command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 77; }
    done
}

# A display of its own, then the program on it, until its window is there; its output goes to
# $WORK/velnor.log.
driver_start() { # binary
    driver_display || {
        echo "no display of its own; Xvfb said:" >&2
        cat "$WORK/xvfb.log" >&2
        exit 1
    }
    # Only that display: not a desktop session's Wayland, file dialog service or theme, which
    # a caller started from a desktop would pass on.
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER QT_QPA_PLATFORMTHEME
    # The walk runs against the clock. The ASan preset unwinds every allocation the slow way
    # (fast_unwind_on_malloc=0, which its leak suppressions need), and that costs the rogue walk
    # ~1.3 s of CPU in its 2 s: beside any other work its WS-Discovery names come too late. The
    # program is killed at the end, so no leak check runs here to need it.
    [ -z "${ASAN_OPTIONS:-}" ] || export ASAN_OPTIONS="$ASAN_OPTIONS:fast_unwind_on_malloc=1"
    "$1" >"$WORK/velnor.log" 2>&1 &
    driver_pids+=($!)
    # Only a mapped one: Qt's unmapped 1x1 client leader bears the name too, and a loaded machine
    # may list it first (focusing it fails with BadMatch, every save).
    WINDOW=$(timeout 30 xdotool search --sync --onlyvisible --name '^Velnor$' | head -n 1) || {
        echo "no Velnor window within 30 s; the program's output:" >&2
        tail -n 40 "$WORK/velnor.log" >&2
        exit 1
    }
}

# Alt+S, the file's name typed into the dialog; false when no report was written.
driver_save() { # file
    xdotool windowfocus --sync "$WINDOW" key alt+s
    # The dialog can take seconds to come up in a slow (sanitizer) build: type only into it.
    local dialog
    dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^Save Data as' | head -n 1) ||
        return 1
    xdotool windowfocus --sync "$dialog"
    sleep 0.5
    xdotool key ctrl+a type --delay 10 "$1"
    xdotool key Return
    for _ in $(seq 20); do [ -s "$1" ] && break; sleep 0.1; done
    [ -s "$1" ]
}

# Xvfb on a display number of its own, DISPLAY exported once it answers; false after ten
# numbers that were taken.
driver_display() {
    local _
    for _ in $(seq 10); do driver_try_display && return 0; done
    return 1
}

# Xvfb on one number, false when it is taken: Xvfb sees the lock file and exits, and xdotool
# must not reach the other server. (Not -displayfd: it skips the lock, and in a network
# namespace, whose abstract sockets are its own, it takes display 0 and the socket file of
# whoever has it.)
driver_try_display() {
    local display=$((90 + RANDOM % 100)) pid
    unset DISPLAY
    Xvfb ":$display" -screen 0 640x520x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    pid=$!
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null; return 1; }
        if [ "$(tr -d ' \n' 2>/dev/null <"/tmp/.X$display-lock")" = "$pid" ] &&
            DISPLAY=:$display xdotool getmouselocation >/dev/null 2>&1; then
            driver_pids+=("$pid")
            export DISPLAY=:$display
            return 0
        fi
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    return 1
}

driver_output() { # the program's last lines, to stderr
    echo "the program's output:" >&2
    tail -n 40 "$WORK/velnor.log" >&2 || true
}
