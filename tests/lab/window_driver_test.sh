#!/usr/bin/env bash
# Checks that the window driver (tests/integration/window_driver.sh), run in a namespace as in a
# lab's client, takes a display of its own beside one in use elsewhere: not that one, nor its
# socket file, and one whose lock file names its Xvfb. Needs root, Xvfb and xdotool; exits 77
# otherwise. Takes about 2 s.
set -euo pipefail

DIR=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=labtesting.sh
. "$DIR/labtesting.sh"
if [[ $EUID -ne 0 ]] || ! command -v Xvfb >/dev/null || ! command -v xdotool >/dev/null; then
    echo "skipped: needs root, Xvfb and xdotool"
    exit 77
fi

ns_busy=vtest-display-busy ns_driver=vtest-display-driver busy=""
cleanup() {
    if [[ -n $busy ]]; then
        kill "$busy" 2>/dev/null || true
        wait "$busy" 2>/dev/null || true
    fi
    ip netns del "$ns_busy" 2>/dev/null || true
    ip netns del "$ns_driver" 2>/dev/null || true
    rm -rf "$logs"
}
trap cleanup EXIT
ip netns add "$ns_busy"
ip netns add "$ns_driver"

# In use: the number the driver tries first with RANDOM seeded 1.
taken=$(RANDOM=1 && echo $((90 + RANDOM % 100)))
ip netns exec "$ns_busy" Xvfb ":$taken" -screen 0 64x64x24 -nolisten tcp >/dev/null 2>&1 &
busy=$!
for _ in $(seq 50); do [[ -S /tmp/.X11-unix/X$taken ]] && break; sleep 0.1; done
socket=$(stat -c %i "/tmp/.X11-unix/X$taken")

# "DISPLAY yes|no": the driver's display, and whether its lock file names the driver's Xvfb.
# shellcheck disable=SC2016 # expanded by the inner shell
got=$(ip netns exec "$ns_driver" bash -c '. "$1"; RANDOM=1
    driver_display || exit 1
    owner=$(tr -d " \n" 2>/dev/null <"/tmp/.X${DISPLAY#:}-lock") || true
    echo "$DISPLAY $([ "$owner" = "${driver_pids[-1]}" ] && echo yes || echo no)"' \
    sh "$DIR/../integration/window_driver.sh") || true

check "not the display in use (:$taken): got ${got% *}" test "${got% *}" != ":$taken"
check "its lock file names the driver's Xvfb" test "${got#* }" == yes
check "the display in use keeps its socket file" \
    test "$(stat -c %i "/tmp/.X11-unix/X$taken")" == "$socket"

report
