#!/usr/bin/env bash
# Installs what is missing, builds Velnor and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
velnor_install_missing
# The test presets name the test lab's STUN servers; the program asks the build's default ones.
velnor_build default -DVELNOR_BUILD_TESTS=OFF -UVELNOR_STUN_SERVERS
exec ./build/velnor "$@"
