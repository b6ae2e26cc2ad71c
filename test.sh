#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds Pardow with its
# tests (every warning an error) and runs them all.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/check-format.sh
scripts/build.sh -DPARDOW_TESTS=ON -DPARDOW_WERROR=ON
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
