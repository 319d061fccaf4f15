#!/usr/bin/env bash
# tools/memory_session.sh MERU THREADS [SEARCHES] [EXAMPLE Y]: the whole
# program's peak resident memory over a scripted session of SEARCHES (default
# 200) searches on THREADS workers. An example of examples/ (default votes84, Y
# repub; its Y must be binary and Select Y must ask whether to use its
# attributes, as for bcw and pima) is opened once (Chi-square, non-iterative,
# Top m 14, both sides, graphics off), as in tools/tsan_session.sh; then the
# searches alternate "Up to 2 2" and "Up to 3 3", each run to its end, and the
# script prints the resident memory and the longest gap between event pumps
# (over the fifty searches before) after every fiftieth. Peak from GNU time
# (its "Maximum resident set size"), so /usr/bin/time must be there.
# Prints two lines of figures; the status is 1 when the run did not end as the
# script does or a search did not end.
set -u
meru=$(realpath "$1"); threads=$2; searches=${3:-200}; example=${4:-votes84}; y=${5:-repub}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
cp "$src"/examples/*.mrc "$src"/examples/*.csv "$work/"

source "$src/tools/lib/session_script.sh"

{
  opening "$work/$example.mrc" "$y"
  printf 'memory\npumpgap\n'
  for ((i = 0; i < searches; i++)); do
    if ((i % 2 == 0)); then extent "2 2"; else extent "3 3"; fi
    # Esc on the search's hull window.
    printf 'menu Search > Go!\ndismiss\nclick 15 20 8\n'
    (((i + 1) % 50 == 0)) && printf 'memory\npumpgap\n'
  done
} >"$work/session.txt"

cd "$work" || exit 1
MERU_PREFS="$work/meru.prf" MERU_THREADS=$threads QT_QPA_PLATFORM=offscreen \
  MERU_SCRIPT="$work/session.txt" MERU_SCRIPT_TIMEOUT=7200 \
  /usr/bin/time -v -o "$work/time" "$meru" >"$work/out" 2>"$work/err"
status=$?
done=$(cat "$work"/*.LOG | grep -c "Search Summary")
peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/time")
resident=$(grep -ho "resident memory [0-9]* kB" "$work/out" "$work/err" | grep -o "[0-9]*" | paste -sd' ')
gaps=$(grep -ho "longest pump gap [0-9]* ms" "$work/out" "$work/err" | grep -o "[0-9]*" | paste -sd' ')
echo "example=$example threads=$threads searches=$searches status=$status summaries=$done peak_kB=$peak wall=$wall"
echo "  resident_kB=[$resident] pump_gap_ms=[$gaps] work=$work"
[ "$status" -eq 0 ] && [ "$done" -eq "$searches" ]
