#!/usr/bin/env bash
# Deep trees, and a tree's growth ended at every busy point.
# 1. A generated survival file (400 rows; a Park-Miller stream of seed 12345),
#    Log-rank with dead=0 censored, Extent "2 2": every split is a combination,
#    made an added attribute. The tree reaches level 6; the log's table defines
#    each split under its row. The root: 400 with 285 events, median 117; its
#    split A = (stage>2 & stage>3) or (stage>2 & grade>1) or (age>70 & stage>3)
#    or (age>70 & grade>1) leaves 209 (124 events, median 196) outside and 191
#    (161, 79) inside, log-rank 49.8756 (worked out from the file with the
#    textbook Kaplan-Meier and log-rank sums). Its 14 leaves need 67 pixels
#    each: the diagram is 938 wide, the root's box grey at x = 524 (midway over
#    its children at 300 and 748). A second tree on the same data: while its
#    rules dialog is open the window is blank; its added attributes make room
#    by deleting the first tree's, never its own, so its table is the first's
#    but for the names (+b_1 for +a_1).
# 2. Thirty rows of two binary factors, Chi-square: the root splits at x1
#    (13 with 10/3 of class 0/1 outside, 17 with 3/14 inside: chi-square
#    10.5409). After a first tree, a second Go! is ended by Search > End at each
#    of its busy points in turn (MERU_YIELD_MS=0) and the question answered
#    yes. Where the question came, no tree is formed and the window is blank;
#    where it did not, either the tree had not begun (the window still shows
#    the kept tree) or it was formed whole, drawn and tabled as the first.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
shots="${MERU_E2E_SHOTS:-$work}"
mkdir -p "$shots"
# table LOG K: the K-th tree table of LOG, the added attributes' names dropped.
table() { awk -v k="$2" '/^ Tree for/ { on = ++n == k } /^%/ { on = 0 } on' "$1" | sed 's/+[a-z][_0-9][0-9]//'; }
pixel() { "$probe" "$@"; }
settings() {
  open_with_y "$1" "$2"
  settings_block criterion="$3"
  [ "$3" != Log-rank ] || printf '%s\n' "dialog Select attribute" '  set 1007 = " dead=0"' "  press OK" dismiss
  settings_block tree=on iterative=off positivity=off "${@:4}"
}

# 1.
awk 'function r() { s = (s * 16807) % 2147483647; return s / 2147483647 }
BEGIN {
  s = 12345; print "age,sex,stage,grade,score,time,dead"
  for (i = 1; i <= 400; i++) {
    age = 40 + int(40 * r()); sex = 1 + int(2 * r()); stage = 1 + int(4 * r()); grade = 1 + int(3 * r())
    score = int(100 * r())
    h = 0.002 * exp(0.35 * stage + 0.02 * (age - 60) + 0.3 * (sex == 2) + 0.25 * grade - 0.01 * score)
    t = int(-log(1 - r()) / h) + 1; c = int(600 * r()) + 20
    print age "," sex "," stage "," grade "," score "," (t < c ? t : c) "," (t < c ? 1 : 0)
  }
}' >"$work/surv.csv"
printf '%s\n' "Survival of 400 patients" "*" "age i 50 60 70" "sex n12 1=male" "stage i 1 2 3" "grade i 1 2" \
  "score i 25 50 75" "time median" "dead b 1" "*" "free comma" surv.csv >"$work/surv.mrc"
{
  settings surv.mrc time Log-rank size="2 2"
  printf '%s\n' "menu Search > Go!" dismiss "dialog Tree stopping rules" "  press OK" "shot 23 $shots/tree_deep.png" \
    "key 23 Esc" "menu Search > Go!" "answer ok" "answer ok" "dialog 141" "  press Yes to all" \
    "shot 23 $work/rules.png" "dialog Tree stopping rules" "  press OK" "shot 23 $work/second.png" "key 23 Esc"
} >"$work/deep.txt"
run_program deep 0 "$meru"
log="$work/SURV.LOG"
has "$log" "     0     1    400      285     117.0000  +a_1           49.8756  0.0000"
has "$log" "              A= (stage>2 & stage>3) or (stage>2 & grade>1)"
has "$log" "                 or (age>70 & stage>3) or (age>70 & grade>1)"
has "$log" "     1     2    209      124     196.0000  +a_2           21.0375  0.0000"
has "$log" "     2     2    191      161      79.0000  +a_3           25.2834  0.0000"
grep -qE "^ +5[0-9] +6 " "$log" || fail "deep: no node of level 6"
[ "$(grep -c "^ Tree is formed with all  62 nodes up to level    5$" "$log")" -eq 2 ] || fail "deep: not two trees"
[ -n "$(table "$log" 1)" ] && [ "$(table "$log" 1)" = "$(table "$log" 2)" ] || fail "deep: the second tree differs"
[ "$(pixel "$shots/tree_deep.png" size)" = 938x520 ] || fail "deep: the diagram is not 938 wide"
for f in "$shots/tree_deep" "$work/second"; do [ "$(pixel "$f.png" 496 30)" = 0xeeeeee ] || fail "deep: $f's root is no split"; done
[ "$(pixel "$work/rules.png" 496 30)$(pixel "$work/rules.png" 5 5)" = 0xffffff0xffffff ] ||
  fail "deep: the first tree is drawn while the second's rules are asked"

# 2.
awk 'function r() { s = (s * 16807) % 2147483647; return s / 2147483647 }
BEGIN { s = 777; print "x1,x2,y"
  for (i = 1; i <= 30; i++) { a = int(2 * r()); b = int(2 * r()); print a "," b "," (r() < 0.1 + 0.6 * a + 0.25 * b ? 1 : 0) } }' \
  >"$work/tiny.csv"
printf '%s\n' "Thirty rows" "*" "x1 b 1" "x2 b 1" "y b 1" "*" "free comma" tiny.csv >"$work/tiny.mrc"
log="$work/TINY.LOG"
for ((n = 1; n < 400; n++)); do
  rm -f "$log" "$work"/end.png "$work"/formed.png
  {
    settings tiny.mrc y Chi-square top=2
    printf '%s\n' "menu Search > Go!" dismiss "dialog Tree stopping rules" "  press OK" "shot 23 $work/first.png" \
      "key 23 Esc" "menu Search > Go!" dismiss "at busy $n menu Search > End" dismiss "shot 23 $work/end.png" \
      "dialog Tree stopping rules" "  press OK" "shot 23 $work/formed.png" "key 23 Esc"
  } >"$work/end.txt"
  env MERU_SCRIPT="$work/end.txt" MERU_YIELD_MS=0 timeout 120 "$meru" >"$work/end.out" 2>"$work/end.err"
  no_sanitizer_report end
  grep -qF "\"at busy $n menu Search > End\" does not fit" "$work/end.err" && break
  has "$log" "     0     1     30  13/17                1  x1             10.5409  0.0012"
  end="$(pixel "$work/end.png" 280 30)$(pixel "$work/end.png" 5 5)"
  formed=$(grep -c "^ Tree is formed" "$log")
  if grep -qF "In tree mode. Will abandon tree. Confirm?" "$work/end.err"; then
    [ "$formed$end" = 10xffffff0xffffff ] || fail "end at $n: abandoned, yet formed $formed, window $end"
  elif [ "$formed" -eq 1 ]; then
    cmp -s "$work/end.png" "$work/first.png" || fail "end at $n: no tree begun, yet the window changed"
  else
    [ "$formed$end" = 20xffffff0xffffff ] && cmp -s "$work/formed.png" "$work/first.png" &&
      [ "$(table "$log" 1)" = "$(table "$log" 2)" ] || fail "end at $n: formed $formed, window $end"
  fi
done
((n > 20 && n < 400)) || fail "$((n - 1)) busy points"
finish "tree_deep: all passed"
