#!/usr/bin/env bash
# tools/tsan_session.sh MERU THREADS [SEED] [SEARCHES]: a scripted session of
# the whole program built with -DMERU_TSAN=ON, checked by ThreadSanitizer with
# tools/tsan.supp. votes84 is opened once (Y repub, Chi-square, non-iterative,
# Top m 14, both sides, graphics off); then SEARCHES (default 22) Search:Go!
# alternate "Up to 2 2" and "Up to 3 3" on THREADS workers, and every search but
# each fifth is stopped by Search:End at a busy pump drawn from SEED. With
# MERU_YIELD_MS=0 (the default here) every evaluation pumps, so the stop points
# reach every stage of a search; with a larger MERU_YIELD_MS set END22 and END33,
# the highest busy pump drawn for each size, below the pumps a search makes.
# Prints one line of figures; the status is 1 when ThreadSanitizer reported or
# the run did not end as the script does.
set -u
meru=$(realpath "$1"); threads=$2; RANDOM=${3:-1}; searches=${4:-22}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
cp "$src/examples/votes84.mrc" "$src/examples/votes84.csv" "$work/"

source "$src/tools/lib/session_script.sh"

{
  opening "$work/votes84.mrc" "repub"
  for ((i = 0; i < searches; i++)); do
    # A search's busy pumps with every evaluation pumping: about 8,400 for
    # "Up to 2 2", about 132,000 for "Up to 3 3".
    if ((i % 2 == 0)); then size="2 2" last=${END22:-8000}; else size="3 3" last=${END33:-130000}; fi
    extent "$size"
    echo "menu Search > Go!"
    ((i % 5 == 4)) || echo "at busy $(((RANDOM * 32768 + RANDOM) % last + 1)) menu Search > End"
    printf 'dismiss\nclick 15 20 8\n'
  done
} >"$work/session.txt"

cd "$work" || exit 1
MERU_PREFS="$work/meru.prf" MERU_THREADS=$threads MERU_YIELD_MS=${MERU_YIELD_MS:-0} QT_QPA_PLATFORM=offscreen \
  MERU_SCRIPT="$work/session.txt" MERU_SCRIPT_TIMEOUT=1800 \
  TSAN_OPTIONS="second_deadlock_stack=1 suppressions=$src/tools/tsan.supp log_path=$work/tsan" \
  "$meru" >"$work/out" 2>"$work/err"
status=$?
ends=$(grep -c "User Requested Search:End" "$work/VOTES84.LOG")
reports=$(cat "$work"/tsan.* 2>/dev/null | grep -c "^WARNING: ThreadSanitizer")
echo "threads=$threads searches=$searches status=$status stopped=$ends reports=$reports work=$work"
[ "$status" -eq 0 ] && [ "$reports" -eq 0 ]
