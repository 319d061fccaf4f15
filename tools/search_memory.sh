#!/usr/bin/env bash
# tools/search_memory.sh MERU ROWS THREADS [SEARCHES] [CRITERION] [SIZE]: the
# whole program's resident memory around Search > Go! on the planted-rule data
# of bench/planted_data.py (ROWS rows; made once into $MERU_PLANTED_DIR/ROWS,
# or a temporary folder, by $MERU_PYTHON, python3 with numpy). The file is
# opened with its lines as written, graphics off, Top m 20, non-iterative,
# "Up to SIZE SIZE" (default 2) of both sides, on THREADS workers (a list
# such as 1,4,8 runs the program once for each); CRITERION is chi
# (Chi-square on y, the default) or logrank (Log-rank on t, dead=0
# censored). Then SEARCHES (default 10) searches, each to its end. Prints the
# resident memory (the script's `memory`) after File > Open, before the first
# Go! and after each search, the peak (GNU time's "Maximum resident set
# size", so /usr/bin/time must be there) and each Go!'s seconds from the log's
# time lines ("%Search:Go!" to the next), and the largest resident memory
# after a search as a share above that before the first Go! (`grown`); the
# status is 1 when a run did not end as the script does.
set -u
meru=$(realpath "$1"); rows=$2; thread_list=$3; searches=${4:-10}; criterion=${5:-chi}; size=${6:-2}
src=$(cd "$(dirname "$0")/.." && pwd)
data=${MERU_PLANTED_DIR:-$(mktemp -d)}/$rows
[ -f "$data/planted.csv" ] || "${MERU_PYTHON:-python3}" "$src/bench/planted_data.py" "$rows" "$data" >/dev/null || exit 1
work=$(mktemp -d)
ln -s "$data/planted.csv" "$work/planted.csv"
mrc=planted.mrc
[ "$criterion" = logrank ] && mrc=planted_lr.mrc
cp "$data/$mrc" "$work/"

{
  printf 'dismiss\nmenu Options\ndialog Options\n  set Display graphics while searching = off\n  press OK\n'
  printf 'menu File > Open\nfile %s\ndismiss\nmemory\n' "$work/$mrc"
  if [ "$criterion" = logrank ]; then
    printf 'menu Y > Select Y\ndialog Select  Y variable(s)\n  set 1000 = t\n  press OK\ndismiss\n'
    printf 'menu Criteria\ndialog Criteria\n  set Criterion = Log-rank\n  press OK\n'
    printf 'dialog Select attribute\n  set 1007 = " dead=0"\n  press OK\ndismiss\n'
  else
    printf 'menu Y > Select Y\ndialog Select  Y variable(s)\n  set 1000 = y\n  press OK\nanswer no\ndismiss\n'
    printf 'menu Criteria\ndialog Criteria\n  set Criterion = Chi-square\n  press OK\n'
  fi
  printf 'menu Strategy\ndialog Strategy\n  set Iterative mode = off\n  press Set Extent Parameters\n'
  printf 'dialog Extent Parameters\n  set Size p_1,..,p_q = %s %s\n  set Up to p_1,..,p_q = on\n' "$size" "$size"
  printf '  set A and A- = on\n  press OK\ndialog Strategy\n  set Top m attributes: = 20\n  press OK\nmemory\n'
  # Each search's hull window closed with Esc.
  for ((i = 0; i < searches; i++)); do printf 'menu Search > Go!\ndismiss\nclick 15 20 8\nmemory\n'; done
} >"$work/session.txt"

cd "$work" || exit 1
failed=0
for threads in ${thread_list//,/ }; do
  rm -f "$work"/*.LOG
  MERU_PREFS="$work/meru.prf" MERU_THREADS=$threads QT_QPA_PLATFORM=offscreen MERU_SCRIPT="$work/session.txt" \
    MERU_SCRIPT_TIMEOUT=7200 /usr/bin/time -v -o "$work/time" "$meru" >"$work/out" 2>"$work/err"
  status=$?
  peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
  resident=$(grep -ho "resident memory [0-9]* kB" "$work/err" | grep -o "[0-9]*" | paste -sd' ')
  grown=$(echo "$resident" | awk '{ m = 0; for (i = 3; i <= NF; ++i) if ($i > m) m = $i
                                    if (NF >= 3 && $2 > 0) printf "%+.1f%%", 100 * (m - $2) / $2 }')
  go=$(awk '/^%Search:Go!/ { want = 1; next }
            /^%time/ { split(substr($0, 6), t, ":"); s = t[1] * 3600 + t[2] * 60 + t[3] + t[4] / 100
                       if (want == 1) { from = s; want = 2 } else if (want == 2) { printf "%.2f ", s - from; want = 0 } }' \
         "$work"/*.LOG)
  echo "rows=$rows threads=$threads criterion=$criterion size=$size status=$status peak_kB=$peak grown=$grown"
  echo "  resident_kB (open, before Go!, after each)=[$resident] go_seconds=[${go% }] work=$work"
  [ "$status" -eq 0 ] || failed=1
done
[ "$failed" -eq 0 ]
