#!/usr/bin/env bash
# The program from start to end as a person runs it: pardow opens the demo
# database in its data folder, shows "Ready", saves a picture of its window
# and closes normally, leaving a complete log and its stored state. Then the
# command line: a file named on it opens instead of the last database, and
# --help and --version answer without starting the window.
#   screenshot-test.sh PARDOW PARDOW_CLI LANG_DIR
set -euo pipefail
pardow=$1 cli=$2 lang=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/docs/Pardow Data" "$work/config"
cp -r "$lang" "$work/app/Lang"
"$cli" --today 2024-06-15 demo "$work/docs/Pardow Data/demo2.vlt" >/dev/null
export U3_APP_DATA_PATH="$work/app" U3_DEVICE_DOCUMENT_PATH="$work/docs"
export XDG_CONFIG_HOME="$work/config" HOME="$work" QT_QPA_PLATFORM=offscreen
"$pardow" --screenshot "$work/shot.png"

fail() { echo "FAILED: $*"; exit 1; }
[ "$(head -c 8 "$work/shot.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "no PNG picture was saved"
[ "$(stat -c %s "$work/shot.png")" -gt 20000 ] || fail "the picture is suspiciously small"
log=$(sed 's/<br>/\n/g; s/<[^>]*>//g' "$work/app/log.html")
expected="DudoDov v1.0 initialized
SettingsStorage v1.0 initialized
LocalizationKit v1.0 initialized
Omrin DataBase Engine v2.30 initialized
Reading file: $work/docs/Pardow Data/demo2.vlt"
[ "$(echo "$log" | sed -n '1,5p' | sed '1s/^Pardow log file//')" = "$expected" ] ||
  fail "the log does not start with the banners and the open: $(echo "$log" | head -5)"
[ "$(echo "$log" | tail -n 4 | tr '\n' '|')" = \
  "SettingsStorage uninitialized|LocalizationKit uninitialized|Base closed|DudoDov uninitialized|" ] ||
  fail "the log does not end with the shutdown: $(echo "$log" | tail -n 4)"
conf="$work/config/Omrin/Pardow.conf"
grep -q '^WindowWidth=' "$conf" || fail "the window state was not stored"
grep -q '^ColumnWidth_7=' "$conf" || fail "the column widths were not stored"
grep -q '^LastOpened=..\\\\demo2.vlt' "$conf" || fail "LastOpened is not the relative default"
for column in 5 6; do  # hidden at the close: stored at their default width
  grep -Eq "^ColumnWidth_$column=(1[0-9]|[2-9][0-9]|[1-9][0-9]{2,})$" "$conf" ||
    fail "hidden column $column was stored as $(grep "^ColumnWidth_$column=" "$conf")"
done

cp "$work/docs/Pardow Data/demo2.vlt" "$work/other.vlt"
(cd "$work" && "$pardow" other.vlt --screenshot "$work/other.png")
sed 's/<br>/\n/g; s/<[^>]*>//g' "$work/app/log.html" | grep -qx "Reading file: $work/other.vlt" ||
  fail "pardow FILE did not open FILE"
[ "$("$pardow" --version)" = "Pardow v1.62" ] || fail "--version: $("$pardow" --version)"
help=$("$pardow" --help)
grep -q '^Usage: pardow \[FILE.vlt\]' <<<"$help" || fail "--help shows no usage: $help"
status=0
"$pardow" --no-such-option 2>/dev/null || status=$?
[ "$status" -eq 2 ] || fail "an unknown option exits with $status, not 2"
echo "pardow started, showed the demo, saved its picture and closed cleanly; its command line works"
