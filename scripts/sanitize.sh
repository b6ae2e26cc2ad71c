#!/usr/bin/env bash
# Builds the whole suite with the address and undefined-behaviour sanitizers
# into build-asan/ and runs every test there. Any report fails the run.
#
#   scripts/sanitize.sh [CTEST ARGS...]
set -euo pipefail
cd "$(dirname "$0")/.."
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPARDOW_TESTS=ON \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build build-asan -j "$(nproc)"
cd build-asan
export ASAN_OPTIONS="abort_on_error=1:detect_stack_use_after_return=1:strict_init_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" "$@"
