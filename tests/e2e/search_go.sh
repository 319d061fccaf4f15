#!/usr/bin/env bash
# Scripted Search:Go! runs from the criteria stage to the last size vector.
# 1. votes84 with repub first: Chi-square, non-iterative, Top m 16, "Up to 2 2".
#    tools/reference/single_chisq.py on the reordered file ranks the votes
#    v04 v03 v05 v12 v08 v09 v14 v13 v15 v07 v06 v01 v11 (v16) v10 (v02); v16 and
#    v02 lack more than 10% of their values, so the data pass bans them from
#    searches: 14 lines, (1) 14, (2) 2 x C(14,2) = 182, (2,2) 2 x C(91,2) = 8190.
# 2. bcw with malig first: Top m 9, float levels 2, "2" fixed: every line floats
#    on its two best cuts by chi-square (the same script with the lines' cuts),
#    C(9,2) x 2 x 2 cut choices x 2 sides = 288 candidates.
# 3. Run 1 on one worker thread gives the same log but for its time lines.
# 4. Search:End at the 312th busy pump (every evaluation pumps with
#    MERU_YIELD_MS=0): the ranking's 16, the 196 of (1) and (2), then the 100th
#    candidate of (2,2) ends that vector there, with the same log on 1 and 8
#    threads.
# 5. While the search runs (its 300th busy pump), a second Search:Go! and the
#    menus whose requests would change it between its stages are greyed: choosing
#    one ends the run with status 3; once the search has ended every menu is
#    usable again.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
# box LOG SIZES: the extent box's line of that size vector (sizes as written).
box() { grep -F "|  $2 " "$1" | head -1; }
# untimed LOG: the log without its time and date lines.
untimed() { grep -vE '^(%time| Date)' "$1"; }

# votes84 with repub first; bcw with malig first.
cp "$src/examples/votes84.mrc" "$work/"
awk -F, 'BEGIN { OFS = "," } { print $17, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16 }' \
  "$src/examples/votes84.csv" >"$work/votes84.csv"
sed 's/^bcw_orig.csv/bcwm.csv/' "$src/examples/bcw.mrc" >"$work/bcw.mrc"
awk -F, 'BEGIN { OFS = "," } { sub(/\r$/, ""); last = $NF; $NF = ""; sub(/,$/, ""); print last, $0 }' \
  "$src/examples/bcw_orig.csv" >"$work/bcwm.csv"

settings() { # FILE Y TOP-M SIZE UP-TO FLOAT
  cat <<SCRIPT
dismiss
menu File > Open
file $work/$1
dismiss
menu Y > Ok  $2
answer no
dismiss
$(settings_block detailed=on criterion=Chi-square beta=automatic gamma=0 iterative=off size="$4" upto="$5" both=on \
    float="$6" top="$3")
SCRIPT
}

# 1. The reference run.
# Two of votes84's 16 lines are banned by the data pass: Top m 16 falls to 14, and says so.
{ settings votes84.mrc repub 16 "2 2" on 1; echo "menu Search > Go!"; echo "dismiss"; echo "click 15 20 8"; } >"$work/votes.txt"
run_program votes 0 "$meru"
expect_line votes "Top m too large. Truncated to 14, the number of ranked attributes the search may use (2 banned)"
log="$work/VOTES84.LOG"
cp "$log" "$work/votes.log"
has "$log" " Criteria:"
has "$log" " Chi-square ; gamma= 0.000; Complexity q + q' - 1"
has "$log" " Beta on automatic setting"
has "$log" " Current positive attribute set of  m= 14 attributes is:"
set=$(grep -A3 -xF " Current positive attribute set of  m= 14 attributes is:" "$log" | grep '^2' | cut -c2- |
  tr ' ' '\n' | grep -v '^$' | sed 's/=.*//' | tr '\n' ' ')
[ "$set" = "v04 v03 v05 v12 v08 v09 v14 v13 v15 v07 v06 v01 v11 v10 " ] || fail "attribute set: $set"
has "$log" " Extent settings:"
has "$log" " Up to size p_1,..p_q=2 2"
for v in "1 |14" "2 |182" "2 2 |8190"; do
  sizes=${v% |*}
  done=$(box "$log" "$sizes" | awk -F'|' '{ print $4 }' | awk '{ print $1 }')
  [ "$done" = "${v#*|}" ] || fail "box line ($sizes): #Done $done, expected ${v#*|}"
done
box "$log" "1 1" | grep -qF "All skipped; subset of  2" || fail "box line (1 1) not skipped"
box "$log" "2 1" | grep -qF "All skipped; subset of  2 2" || fail "box line (2 1) not skipped"

# 3. One worker thread: the same log but for its time lines.
cp "$work/votes.txt" "$work/votes1.txt"
rm -f "$log"
run_program votes1 0 "$meru" MERU_THREADS=1
cmp -s <(untimed "$work/votes.log") <(untimed "$log") || {
  fail "one thread: the log differs"
  diff <(untimed "$work/votes.log") <(untimed "$log") | head -20
}

# 2. Floating cuts on bcw.
{ settings bcw.mrc malig 9 "2" off 2; echo "menu Search > Go!"; echo "click 15 20 8"; } >"$work/bcw.txt"
run_program bcw 0 "$meru"
log="$work/BCW.LOG"
has "$log" "Cuts are:"
# Each line's two best cuts by single-attribute chi-square (single_chisq.py).
for line in "thick >5 >7 floating" "usize >1 >2 floating" "ushape >2 >4 floating" "adhes >1 >3 floating" \
  "epsize >2 >3 floating" "barenuc >1 >3 floating" "chromat >3 >5 floating" "nucleoli >1 >3 floating" \
  "mitoses >1 >2 floating"; do
  has "$log" " $line"
done
done=$(box "$log" "2" | awk -F'|' '{ print $4 }' | awk '{ print $1 }')
[ "$done" = "288" ] || fail "bcw: #Done $done, expected 288"

# 4. Search:End inside the (2,2) vector: the ranking's 16 pumps, (1) and (2)
# 196, then 100 into (2,2).
for threads in 1 8; do
  { settings votes84.mrc repub 16 "2 2" on 1; echo "menu Search > Go!"; echo "dismiss"; echo "at busy 312 menu Search > End"; echo "click 15 20 8"; } \
    >"$work/end$threads.txt"
  rm -f "$work/VOTES84.LOG"
  run_program end$threads 0 "$meru" MERU_THREADS=$threads MERU_YIELD_MS=0
  cp "$work/VOTES84.LOG" "$work/end$threads.log"
done
log="$work/end1.log"
has "$log" "** User Requested Search:End **"
# The interrupted vector's box line (its skip report is empty: nothing was
# skipped), and no size vector after it.
done=$(box "$log" "2 2" | awk -F'|' '{ print $4 }' | awk '{ print $1 }')
[ "$done" = "100" ] || fail "Search:End: #Done $done in (2 2), expected 100"
sed -n '/^\*\* User Requested Search:End \*\*$/,$p' "$log" | grep -qF "Class p_1...p_q=" &&
  fail "Search:End: a size vector after the interrupted one"
cmp -s <(untimed "$work/end1.log") <(untimed "$work/end8.log") || {
  fail "Search:End: 1 and 8 threads differ"
  diff <(untimed "$work/end1.log") <(untimed "$work/end8.log") | head -20
}

# 5. Greyed while the search runs, usable after it.
for choice in "Search > Go!" "Criteria" "Process > Statistics" "Y > Select Y"; do
  { settings votes84.mrc repub 16 "2 2" on 1; echo "menu Search > Go!"; echo "dismiss"; echo "at busy 300 menu $choice"; } \
    >"$work/busy.txt"
  run_program busy 3 "$meru" MERU_YIELD_MS=0
  expect_line busy "is greyed)"
done
{ settings votes84.mrc repub 16 "2 2" on 1; echo "menu Search > Go!"; echo "dismiss"; echo "click 15 20 8"; echo "greyed"; } \
  >"$work/after.txt"
run_program after 0 "$meru"
expect_line after "greyed menus: none"

finish "search_go: all passed"
