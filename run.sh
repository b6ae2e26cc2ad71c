#!/usr/bin/env bash
# Installs what is missing, builds Pardow and shows it at work.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
demo=build/Data/new.vlt
mkdir -p build/Data
rm -f "$demo"
build/pardow-cli create "$demo"
build/pardow-cli info "$demo"
