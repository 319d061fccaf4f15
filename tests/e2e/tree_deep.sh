#!/usr/bin/env bash
# 1. A generated survival file of 400 rows, Log-rank (dead=0 censored), Extent
#    "2 2": each split an added attribute, defined under its row of the log's
#    table. Root: 400, 285 events, median 117; A = (stage>2 & stage>3) or ...
#    leaves 209 (124 events, median 196) and 191 (161, 79), log-rank 49.8756 (the
#    textbook sums on the file). 14 leaves of 67 pixels: 938 wide, the root's box
#    at 524 +- 31. A second tree: blank window while its rules are asked; room
#    for its added attributes is made from the first tree's: the same table.
# 2. Thirty rows, Chi-square (root x1: 10/3 and 3/14, chi-square 10.5409). A
#    second tree ended by Search > End at each of its busy points in turn, the
#    question answered yes: nothing formed, the window blank; with no question
#    the tree had not begun and the first is still drawn.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
shots="${MERU_E2E_SHOTS:-$work}"
mkdir -p "$shots"
# table LOG K: the K-th tree table of LOG without the added attributes' names.
table() { awk -v k="$2" '/^ Tree for/ { on = ++n == k } /^%/ { on = 0 } on' "$1" | sed 's/+[a-z][_0-9][0-9]//'; }
# at FILE X Y: the pixel (X, Y) and the bar's (5, 5) of a picture.
at() { echo "$("$probe" "$1" "$2" "$3")$("$probe" "$1" 5 5)"; }
settings() {
  open_with_y "$1" "$2"
  settings_block criterion="$3"
  [ "$3" != Log-rank ] || printf '%s\n' "dialog Select attribute" '  set 1007 = " dead=0"' "  press OK" dismiss
  settings_block tree=on iterative=off positivity=off "${@:4}"
}
lcg='function r() { s = (s * 16807) % 2147483647; return s / 2147483647 }'

# 1.
awk "$lcg"' BEGIN { s = 12345; print "age,sex,stage,grade,score,time,dead"
  for (i = 1; i <= 400; i++) {
    a = 40 + int(40 * r()); x = 1 + int(2 * r()); st = 1 + int(4 * r()); g = 1 + int(3 * r()); sc = int(100 * r())
    h = 0.002 * exp(0.35 * st + 0.02 * (a - 60) + 0.3 * (x == 2) + 0.25 * g - 0.01 * sc)
    t = int(-log(1 - r()) / h) + 1; c = int(600 * r()) + 20
    print a "," x "," st "," g "," sc "," (t < c ? t : c) "," (t < c ? 1 : 0) } }' >"$work/surv.csv"
printf '%s\n' Survival "*" "age i 50 60 70" "sex n12 1=male" "stage i 1 2 3" "grade i 1 2" "score i 25 50 75" \
  "time median" "dead b 1" "*" "free comma" surv.csv >"$work/surv.mrc"
{
  settings surv.mrc time Log-rank size="2 2"
  printf '%s\n' "menu Search > Go!" dismiss "dialog Tree stopping rules" "  press OK" "shot 23 $shots/tree_deep.png" \
    "key 23 Esc" "menu Search > Go!" "answer ok" "answer ok" "dialog 141" "  press Yes to all" \
    "shot 23 $work/rules.png" "dialog Tree stopping rules" "  press OK" "shot 23 $work/second.png"
} >"$work/deep.txt"
run_program deep 0 "$meru"
log="$work/SURV.LOG"
for line in "     0     1    400      285     117.0000  +a_1           49.8756  0.0000" \
  "              A= (stage>2 & stage>3) or (stage>2 & grade>1)" \
  "                 or (age>70 & stage>3) or (age>70 & grade>1)" \
  "     1     2    209      124     196.0000  +a_2           21.0375  0.0000" \
  "     2     2    191      161      79.0000  +a_3           25.2834  0.0000"; do has "$log" "$line"; done
[ -n "$(table "$log" 2)" ] && [ "$(table "$log" 1)" = "$(table "$log" 2)" ] || fail "deep: the second tree differs"
[ "$("$probe" "$shots/tree_deep.png" size)" = 938x520 ] || fail "deep: the diagram is not 938 wide"
[ "$(at "$shots/tree_deep.png" 496 30)$(at "$work/second.png" 496 30)" = 0xeeeeee0xbbbbbb0xeeeeee0xbbbbbb ] ||
  fail "deep: a root is no split"
[ "$(at "$work/rules.png" 496 30)" = 0xffffff0xffffff ] || fail "deep: the first tree is drawn while the second's rules are asked"

# 2.
awk "$lcg"' BEGIN { s = 777; print "x1,x2,y"
  for (i = 1; i <= 30; i++) { a = int(2 * r()); b = int(2 * r()); print a "," b "," (r() < 0.1 + 0.6 * a + 0.25 * b) } }' \
  >"$work/tiny.csv"
printf '%s\n' Thirty "*" "x1 b 1" "x2 b 1" "y b 1" "*" "free comma" tiny.csv >"$work/tiny.mrc"
log="$work/TINY.LOG"
for ((n = 1; n < 400; n++)); do
  rm -f "$log"
  {
    settings tiny.mrc y Chi-square top=2
    printf '%s\n' "menu Search > Go!" dismiss "dialog Tree stopping rules" "  press OK" "shot 23 $work/first.png" \
      "key 23 Esc" "menu Search > Go!" dismiss "at busy $n menu Search > End" dismiss "shot 23 $work/end.png"
  } >"$work/end.txt"
  env MERU_SCRIPT="$work/end.txt" MERU_YIELD_MS=0 timeout 120 "$meru" >"$work/end.out" 2>"$work/end.err"
  no_sanitizer_report end
  grep -qF "\"at busy $n menu Search > End\" does not fit" "$work/end.err" && break
  has "$log" "     0     1     30  13/17                1  x1             10.5409  0.0012"
  [ "$(grep -c "^ Tree is formed" "$log")" -eq 1 ] || fail "end at $n: a second tree is formed"
  if grep -qF "In tree mode. Will abandon tree. Confirm?" "$work/end.err"; then
    [ "$(at "$work/end.png" 280 30)" = 0xffffff0xffffff ] || fail "end at $n: the abandoned tree's window shows a tree"
  else
    cmp -s "$work/end.png" "$work/first.png" || fail "end at $n: no tree begun, yet the window changed"
  fi
done
((n > 20 && n < 400)) || fail "$((n - 1)) busy points"
finish "tree_deep: all passed"
