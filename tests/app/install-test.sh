#!/usr/bin/env bash
# Installs Pardow to a temporary prefix as a Linux desktop program and checks
# the result: every file in its place (the program icon at every size), the
# desktop entry and the software-centre entry valid, .vlt files known as
# Pardow databases, and the installed program started from another folder
# finding its language files while it writes its log and data under the XDG
# folders.
#   install-test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
fail() { echo "FAILED: $*"; exit 1; }
cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/pardow bin/pardow-cli share/pardow/Lang/english.txt share/pardow/docs/guide.html \
  share/applications/pardow.desktop share/mime/packages/pardow.xml \
  share/metainfo/com.omrin.Pardow.metainfo.xml share/man/man1/pardow-cli.1 \
  share/icons/hicolor/scalable/apps/pardow.svg; do
  [ -s "$prefix/$f" ] || fail "$f was not installed"
done
# The desktop entry's Icon=pardow: the drawing, and a PNG of each size its folder names.
grep -qx 'Icon=pardow' "$prefix/share/applications/pardow.desktop" || fail "the desktop entry names no icon"
for size in 16 22 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/pardow.png"
  [ -s "$png" ] || fail "no ${size}px icon"
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is no PNG"
  # The width and height of the PNG header, big-endian at bytes 16 and 20.
  [ "$(od -An -tu1 -j16 -N8 "$png" | awk '{print $3*256+$4 "x" $7*256+$8}')" = "${size}x${size}" ] ||
    fail "$png is not ${size}x${size}"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/pardow.svg" || fail "pardow.svg is no SVG"
[ -x "$prefix/bin/pardow" ] && [ -x "$prefix/bin/pardow-cli" ] || fail "the programs are not executable"
desktop-file-validate "$prefix/share/applications/pardow.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/com.omrin.Pardow.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate: $(appstreamcli validate --no-net "$prefix/share/metainfo/"*.xml)"

# The file type, by name and by content.
update-mime-database "$prefix/share/mime"
"$prefix/bin/pardow-cli" create "$work/x.vlt" >/dev/null
cp "$work/x.vlt" "$work/renamed.dat"
if command -v xdg-mime >/dev/null && command -v mimetype >/dev/null; then
  for f in x.vlt renamed.dat; do
    type=$(cd "$work" && XDG_DATA_HOME="$prefix/share" XDG_DATA_DIRS="$prefix/share" \
      xdg-mime query filetype "$f")
    [ "$type" = application/x-pardow-database ] || fail "xdg-mime names $f $type"
  done
else
  # Without xdg-utils, the compiled database shows the glob and the magic.
  echo "no xdg-mime/mimetype here: checking the compiled MIME database instead"
  grep -qx '50:application/x-pardow-database:\*.vlt' "$prefix/share/mime/globs2" ||
    fail "the *.vlt glob is not in globs2"
  grep -aq 'application/x-pardow-database' "$prefix/share/mime/magic" ||
    fail "the signature is not in the magic file"
fi

# The installed program from another folder: no demo database there, so it
# says it cannot open it; its log and data folders are the XDG ones.
mkdir -p "$work/elsewhere"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=offscreen
unset U3_APP_DATA_PATH U3_DEVICE_DOCUMENT_PATH
(cd "$work/elsewhere" && "$prefix/bin/pardow" --screenshot "$work/shot.png" 2>"$work/stderr")
grep -q "Can't open file: $work/data/pardow/Data/demo2.vlt" "$work/stderr" ||
  fail "the demo was not looked for in the XDG data folder: $(cat "$work/stderr")"
[ -d "$work/data/pardow/Data" ] || fail "the data folder was not made"
log="$work/state/pardow/log.html"
[ -s "$log" ] || fail "no log at $log"
if grep -q "\[LocKit\] Can.t open file" "$log"; then
  fail "the installed program misses a file: $(sed 's/<br>/\n/g; s/<[^>]*>//g' "$log" |
    grep "Can't open")"
fi
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the program wrote into the folder it started from"
echo "installed to a prefix; files, desktop entry, metainfo and file type check out"
