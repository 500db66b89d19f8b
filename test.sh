#!/usr/bin/env bash
# Installs what is missing, builds Velnor with its tests, and runs every test: once in the
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer; the unit and
# window tests also under ThreadSanitizer; then fuzzes the
# readers of network messages for a minute each; then cross-builds the logic and the Windows
# backends with mingw-w64 and runs their tests under Wine; last, builds the Debian package and
# checks it unpacked (scripts/package-check.sh). As root it also installs Samba, wsdd and
# avahi-daemon for the neighbourhood tests, and coturn and dnsmasq for the NAT lab, which start
# their peers in network namespaces of their own; without root those tests report SKIPPED.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
velnor_install_missing xvfb xauth xdotool clang libclang-rt-14-dev \
    dpkg-dev file lintian desktop-file-utils appstream
if [ "$(id -u)" -eq 0 ]; then
    tests/lab/smblab.sh install
    tests/lab/discolab.sh install
    tests/lab/natlab.sh install
fi
for preset in default asan tsan; do
    echo "== $preset build"
    velnor_build "$preset" -DVELNOR_BUILD_TESTS=ON
    echo "== $preset tests"
    ctest --preset "$preset" --timeout 300
done
# The readers of network messages, fuzzed for a bounded time each.
echo "== fuzz"
velnor_build fuzz -DVELNOR_FUZZ_SECONDS="${VELNOR_FUZZ_SECONDS:-60}"
ctest --preset fuzz
# The Windows backends, cross-built, under Wine in a network of loopback only.
scripts/windows-tests.sh
# The Debian package: built, unpacked, validated, linted, and its program run.
echo "== package"
scripts/package-check.sh
