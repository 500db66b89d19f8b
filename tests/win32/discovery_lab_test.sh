#!/usr/bin/env bash
# velnor.exe under Wine on a virtual screen in the discovery lab's client namespace, beside the
# Linux program: in "modern" (WS-Discovery and mDNS peers) and "rogue" (peers that lie beside
# real ones) the Windows program's report lists every computer of the lab once, with its own
# address, and is the Linux program's report in the same lab.
#   discovery_lab_test.sh WINDOWS_BUILD_DIR LINUX_VELNOR [LAYOUT...]
# Needs root (the lab's namespaces and peers), Xvfb and Wine. Status 77: skipped.
set -euo pipefail
build=$(realpath "$1")
linux=$(realpath "$2")
shift 2
layouts=("$@")
[ ${#layouts[@]} -gt 0 ] || layouts=(modern rogue)
here=$(dirname "$(realpath "$0")")
lab=$(realpath "$here/../lab/discolab.sh")
[ "$(id -u)" -eq 0 ] || { echo "SKIPPED: the lab needs root"; exit 77; }
for tool in Xvfb wine; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing"; exit 77; }
done

up=""
trap '[ -z "$up" ] || "$lab" down "$up" >/dev/null 2>&1 || true' EXIT
status=0
for layout in "${layouts[@]}"; do
    rc=0
    "$lab" up "$layout" >/dev/null || rc=$?
    [ "$rc" -ne 77 ] || { echo "SKIPPED: the lab cannot run here"; exit 77; }
    [ "$rc" -eq 0 ] || exit "$rc"
    up=$layout
    echo "== $layout"
    "$lab" exec "$layout" bash "$here/discovery_lab_inside.sh" "$build" "$linux" || status=1
    "$lab" down "$layout" >/dev/null
    up=""
done
exit $status
