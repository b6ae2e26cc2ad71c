#!/usr/bin/env bash
# Installs what is missing, builds Pardow with its tests and runs them all.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh -DPARDOW_TESTS=ON
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
