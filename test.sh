#!/usr/bin/env bash
# Installs what is missing, builds Velnor with its tests, and runs every test: once in the
# normal build and once under AddressSanitizer and UndefinedBehaviorSanitizer. As root it also
# installs Samba for the neighbourhood tests, which start their servers in network namespaces
# of their own; without root those tests report SKIPPED.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
velnor_install_missing xvfb xauth xdotool
if [ "$(id -u)" -eq 0 ]; then
    tests/lab/smblab.sh install
fi
for preset in default asan; do
    echo "== $preset build"
    velnor_build "$preset" -DVELNOR_BUILD_TESTS=ON
    echo "== $preset tests"
    ctest --preset "$preset" --timeout 300
done
