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
    local display=:$((90 + RANDOM % 100))
    Xvfb "$display" -screen 0 640x520x24 -nolisten tcp >/dev/null 2>&1 &
    driver_pids+=($!)
    export DISPLAY=$display
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
    "$1" >"$WORK/velnor.log" 2>&1 &
    driver_pids+=($!)
    WINDOW=$(timeout 30 xdotool search --sync --name '^Velnor$' | head -n 1) || {
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
    dialog=$(timeout 20 xdotool search --sync --name '^Save Data as' | head -n 1) || return 1
    xdotool windowfocus --sync "$dialog"
    sleep 0.5
    xdotool key ctrl+a type --delay 10 "$1"
    xdotool key Return
    for _ in $(seq 20); do [ -s "$1" ] && break; sleep 0.1; done
    [ -s "$1" ]
}

driver_output() { # the program's last lines, to stderr
    echo "the program's output:" >&2
    tail -n 40 "$WORK/velnor.log" >&2 || true
}
