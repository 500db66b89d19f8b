#!/usr/bin/env bash
# The real velnor.exe under Wine on a virtual screen, in a network namespace of its own
# (loopback and one test link, 192.0.2.10/24), where the program's address page is served at
# www.velnor.test. A second small Windows program (velnor_driver.exe) reads the windows back and
# clicks them. Checks the texts the load shows, Save through the common dialog against the Linux
# program's report of the same page, Copy, Refresh, Reset, the hidden fill button, the About
# window, and that Close ends the program at once during every step of the load.
#   window_test.sh WINDOWS_BUILD_DIR LINUX_VELNOR
# Needs root or unprivileged user namespaces, Xvfb and Wine. Status 77: skipped.
set -euo pipefail
build=$(realpath "$1")
linux=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
for tool in Xvfb wine python3; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done
if [ "$(id -u)" -eq 0 ]; then
    enter=(unshare --net --mount --uts --propagation private)
else
    enter=(unshare --user --map-root-user --net --mount --uts --propagation private)
fi
"${enter[@]}" true 2>/dev/null || { echo "SKIPPED: no network namespace"; exit 77; }
exec "${enter[@]}" bash "$here/window_test_inside.sh" "$build" "$linux"
