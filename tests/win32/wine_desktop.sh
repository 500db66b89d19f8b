# shellcheck shell=bash
# Sourced: a virtual screen and a Wine prefix of their own, for running Windows programs with
# windows (needs Xvfb and openbox), and a network with an address page. Sets WORK (a temporary
# folder, removed at exit with every process in pids).
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
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w
    wineserver -p
}

wine_desktop_stop() {
    wineserver -k 2>/dev/null || true
}

# In a namespace of the caller's own (network, mount and host name): the computer's name,
# loopback, one link (192.0.2.10/24), and the address page of the "windows" preset
# (www.velnor.test) served on that link. The page is what $WORK/page holds or, when that is
# "hang", a page that never ends; each request's path is added to $WORK/requests.
address_page_network() { # host-name
    hostname "$1"
    ip link set lo up
    ip link add test0 type veth peer name test1
    ip link set test1 up
    ip addr add 192.0.2.10/24 dev test0
    ip link set test0 up
    printf "127.0.0.1 localhost\n192.0.2.10 www.velnor.test\n" >"$WORK/hosts"
    mount --bind "$WORK/hosts" /etc/hosts
    printf "nameserver 127.0.0.1\noptions timeout:1 attempts:1\n" >"$WORK/resolv.conf"
    mount --bind "$WORK/resolv.conf" /etc/resolv.conf
    echo '<b>Your IP: 203.0.113.7</b><b>Host: dsl-7.isp.example</b>' >"$WORK/page"
    python3 - "$WORK/page" "$WORK/requests" <<'EOF' &
import http.server, sys, time
class Page(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        open(sys.argv[2], "a").write(self.path + "\n")
        body = open(sys.argv[1], "rb").read()
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.end_headers()
        if body.strip() == b"hang":
            self.wfile.write(b"<b>Your IP: ")
            self.wfile.flush()
            time.sleep(3600)
        self.wfile.write(body)
    def log_message(self, *args):
        pass
http.server.ThreadingHTTPServer(("192.0.2.10", 80), Page).serve_forever()
EOF
    pids+=($!)
}
