#!/usr/bin/env bash
# Builds the logic and the Windows backends with mingw-w64 (preset "windows") and runs their
# tests under Wine, headless, in a private network namespace with loopback only: the tests
# start their own HTTP server there, and no name lookup or broadcast leaves the machine.
# Needs root for the namespace (or unprivileged user namespaces); without either the tests
# are not run and the script says so.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
velnor_install_missing g++-mingw-w64-x86-64-posix wine wine64 googletest

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
echo "== windows part: ${SECONDS} s (installs, build and tests)"
