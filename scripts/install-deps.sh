#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Pardow need
# (build.sh, test.sh, run.sh), skipping those already present.
#
#   scripts/install-deps.sh [bench] [fuzz]
#
# `bench` adds Google Benchmark for -DPARDOW_BENCH=ON, `fuzz` adds clang for
# the libFuzzer targets.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-format          # build.sh and test.sh's format check
  qt6-base-dev libgl-dev                       # Qt Widgets (its CMake files look for OpenGL)
  qt6-charts-dev libqt6opengl6-dev             # the reports' charts (its CMake files want OpenGL's)
  qt6-svg-dev libqt6svg6                       # the icons are SVGs: QtSvg and its icon and image plugins
  qt6-translations-l10n                        # Qt's own words (Yes, No, file dialogs) in each language
  nlohmann-json3-dev                           # pardow-cli's JSON
  pkg-config libofx-dev                        # reading OFX/QFX bank statements
  libxml2-dev zlib1g-dev libsqlite3-dev        # other programs' books: XML, compressed, SQLite
  homebank-data                                # HomeBank's own sample book, read by a conversion test
  ledger hledger                               # the export test reads the journal back with both
  libgtest-dev                                 # the unit tests
  strace python3                               # the durability sweep
  fonts-dejavu-core fonts-liberation           # offscreen text; Liberation Sans stands in for Arial
  desktop-file-utils appstream                 # the install test validates the desktop entry and metainfo
  shared-mime-info                             # update-mime-database for the .vlt file type
  xdg-utils libfile-mimeinfo-perl              # the install test's `xdg-mime query filetype`
)
for extra in "$@"; do
  case "$extra" in
    bench) packages+=(libbenchmark-dev) ;;
    fuzz) packages+=(clang) ;;
    *) echo "install-deps: unknown group '$extra' (bench, fuzz)" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
