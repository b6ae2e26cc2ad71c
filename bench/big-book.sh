#!/bin/sh
# Times the programs on a big book as a person starts them: `pardow-cli
# balance`, and the window from its start to its saved picture (offscreen).
# Each is run five times; prints min / median / max of the time and the peak
# memory of the runs. The book is the demo database of N transactions
# (default ten million, about 1 GB), made once in BUILD/bench/.
#
#   bench/big-book.sh [BUILD] [N]     (BUILD: a Release build, default build)
set -eu
build=${1:-build}
count=${2:-10000000}
cli="$build/pardow-cli"
app="$build/pardow"
book="$build/bench/big-$count.vlt"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$build/bench"
if [ ! -f "$book" ]; then
  echo "making $book ..."
  "$cli" --today 2026-12-10 demo "$book.part" --transactions "$count" >/dev/null
  mv "$book.part" "$book"
fi
cat "$book" >/dev/null  # read from the page cache, as a second start would

# Prints "min median max" of the numbers on standard input.
stats() {
  sort -n | awk '{ v[NR] = $1 } END { printf "%s / %s / %s", v[1], v[int((NR + 1) / 2)], v[NR] }'
}

now() { date +%s.%N; }

: >"$work/balance"
: >"$work/balance.kb"
for run in 1 2 3 4 5; do
  /usr/bin/time -f "%e %M" -o "$work/t" "$cli" balance "$book" >/dev/null
  read -r seconds kb <"$work/t"
  echo "$seconds" >>"$work/balance"
  echo "$kb" >>"$work/balance.kb"
done

: >"$work/window"
: >"$work/window.kb"
for run in 1 2 3 4 5; do
  rm -f "$work/shot.png"
  start=$(now)
  QT_QPA_PLATFORM=offscreen /usr/bin/time -f "%e %M" -o "$work/t" \
    "$app" --screenshot "$work/shot.png" "$book" >/dev/null 2>&1
  saved=$(stat -c %.9Y "$work/shot.png")
  read -r seconds kb <"$work/t"
  echo "$saved $start" | awk '{ printf "%.2f\n", $1 - $2 }' >>"$work/window"
  echo "$kb" >>"$work/window.kb"
done

n=$(printf "%s" "$count" | sed ':a;s/\B[0-9]\{3\}\>/,&/;ta')
echo "book: $n transactions, $(du -mL "$book" | cut -f1) MB"
echo "pardow-cli balance: $(stats <"$work/balance") s;" \
  "peak $(awk '{ print int($1 / 1024) }' "$work/balance.kb" | stats) MB"
echo "window to its picture: $(stats <"$work/window") s;" \
  "peak $(awk '{ print int($1 / 1024) }' "$work/window.kb" | stats) MB"
