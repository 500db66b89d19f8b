#!/usr/bin/env bash
# Installs what is missing, builds Velnor and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
velnor_install_missing
velnor_build default -DVELNOR_BUILD_TESTS=OFF
exec ./build/velnor "$@"
