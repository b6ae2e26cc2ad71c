#!/usr/bin/env bash
# Configures and builds Pardow into build/ (a portable layout: the programs,
# Lang/ and Data/ side by side).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build build -j "$(nproc)"
