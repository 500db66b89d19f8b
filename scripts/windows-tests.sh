#!/usr/bin/env bash
# Builds velnor.exe, the logic and the Windows backends with mingw-w64 (preset "windows") and
# runs their tests under Wine, headless, in a private network namespace with loopback only: the
# tests start their own HTTP server there, and no name lookup or broadcast leaves the machine.
# Then the program itself on a virtual screen, beside the Linux program built against the same
# address page (tests/win32/window_test.sh) and in the discovery lab's namespaces among real
# WS-Discovery and mDNS peers (tests/win32/discovery_lab_test.sh: as root, with the lab's peers
# installed by tests/lab/discolab.sh install), and the installer that the "windows-package"
# workflow builds (tests/win32/msi_test.sh). Needs root for the namespaces (or unprivileged user
# namespaces); without either the tests are not run and the script says so.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
velnor_install_missing g++-mingw-w64-x86-64-posix wine wine64 googletest \
    xvfb xauth openbox python3 iproute2 wixl

echo "== windows build"
velnor_build windows

if ! velnor_isolated true 2>/dev/null; then
    echo "== windows tests NOT RUN: no private network namespace (needs root or user namespaces)"
    exit 0
fi

echo "== windows tests (Wine)"
prefix="$PWD/build-windows/wineprefix"
mkdir -p "$prefix"
velnor_isolated env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all \
    bash -c '
        # A running server and a booted prefix, so that ctest does not wait on Wine starting
        # in the background of the first test.
        wineserver -p
        # (No .NET or HTML engine: nothing here needs them, and their installers would ask.)
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i </dev/null >/dev/null 2>&1
        # Windows without a display: the null graphics driver, instead of waiting for X.
        wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f >/dev/null 2>&1
        # Started again under it: a desktop that the first boot began still waits for X. Its
        # background processes come up here, with their output away from ctest.
        wineserver -k || true
        wineserver -w
        wineserver -p
        wineboot </dev/null >/dev/null 2>&1
        status=0
        ctest --preset windows --timeout 300 "$@" || status=$?
        wineserver -k || true
        exit $status' windows-tests "$@"

echo "== the Windows program under Wine, beside the Linux program"
# The Linux program of the same address page, for the reports to compare.
cmake -S . -B build-windows-peer -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELNOR_BUILD_TESTS=OFF -DVELNOR_WEB_ADDRESS_1=http://www.velnor.test >/dev/null
cmake --build build-windows-peer
tests/win32/window_test.sh build-windows build-windows-peer/velnor

echo "== the Windows program in the discovery lab, beside the Linux program"
rc=0
tests/win32/discovery_lab_test.sh build-windows build-windows-peer/velnor || rc=$?
[ "$rc" -eq 0 ] || [ "$rc" -eq 77 ] || exit "$rc"

echo "== the Windows installer"
cmake --workflow --preset windows-package >/dev/null
tests/win32/msi_test.sh build-windows-package
echo "== windows part: ${SECONDS} s (installs, build and tests)"
