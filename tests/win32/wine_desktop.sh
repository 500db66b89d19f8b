# shellcheck shell=bash
# Sourced: a virtual screen and a Wine prefix of their own, for running Windows programs with
# windows. Sets WORK (a temporary folder, removed at exit with every process in pids).
WORK=$(mktemp -d)
pids=()
wine_desktop_cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wineserver -k 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap wine_desktop_cleanup EXIT

# Xvfb on the first free display, then a fresh prefix booted on it (about 15 s). Wine writes
# menus and desktop files under HOME: a temporary one.
wine_desktop_start() {
    local display=90
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=":$display" HOME="$WORK/home" WINEPREFIX="$WORK/prefix" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    unset WAYLAND_DISPLAY
    mkdir -p "$HOME"
    local i
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    wineserver -p
}

wine_desktop_stop() {
    wineserver -k 2>/dev/null || true
}
