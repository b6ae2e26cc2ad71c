#!/usr/bin/env bash
# Installs what is missing, builds Pardow and starts it on the bundled demo
# database (build/Data/demo2.vlt). Without a display it saves a picture of the
# main window instead and says where it is.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec build/pardow
fi
shot="$PWD/build/pardow-screenshot.png"
QT_QPA_PLATFORM=offscreen build/pardow --screenshot "$shot"
echo "There is no display here: a picture of the Pardow window is in $shot"
