#!/usr/bin/env bash
# Three analyses of grade in one session (41 observations, cells of count, grade and
# binary u, v, w below), "Up to 1", Chi-square, beta 0, Top m 3, worked by hand.
# Ordinal 2 1 3 4: {1,3,4} by u (24 of its 26), {3,4} by u & v, which has 1 of 11
# 4s against 5 of 30: 4 gets no partition. Ordinal 4 2 1 3: {2,1,3} by u=0, where
# {1,3} (2 of 16) is rarer than outside (18 of 25): none, nor for {3} within it.
# Nominal: =1 by w, =2 by u=0, u=1 & w=0 holds no 3. Repeats name their partitions
# apart; ^grade holds the last prediction (1 x 19, 2 x 16, 4 x 6).
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf" MERU_SCRIPT_TIMEOUT=60
printf '%s\n' "11 2 0 0 0" "3 2 0 1 0" "1 1 0 0 0" "1 3 0 1 0" "8 1 1 0 1" "1 1 1 1 1" "9 3 1 1 1" "1 4 1 1 1" \
  "5 4 1 0 0" "1 2 1 0 0" | awk 'BEGIN { print "grade,u,v,w" } { for (i = 0; i < $1; i++) print $2 "," $3 "," $4 "," $5 }' \
  >"$work/grades.csv"
printf '%s\n' "Grades" "*" "grade i 1 2 3" "u b 1" "v b 1" "w b 1" "*" "free comma" "grades.csv" >"$work/grades.mrc"
# analysis KIND ORDER SEARCHES: fragment grade as KIND in ORDER, Go!,
# a click on each search's window, Esc on the scatter plot.
analysis() {
  printf '%s\n' "menu Y > Select Y" "dialog Select  Y variable(s)" "  set 1000 = grade" "  press OK" "answer no" \
    "dialog 148" "  set $1 Fragment = on" "  set New order for Re-order = $2" "  press Re-order" "dialog 148" "  press OK" dismiss
  [ "$1$2" = "Ordinal2 1 3 4" ] && settings_block criterion=Chi-square beta=0 iterative=off size=1 upto=on both=on top=3 ||
    printf '%s\n' "dialog Criteria" "  press OK"
  printf '%s\n' "menu Search > Go!" dismiss && printf 'click 15 20 8\n%.0s' $(seq "$3") && echo "click 19 10 8"
}
{
  printf '%s\n' dismiss "menu File > Open" "file $work/grades.mrc" dismiss
  analysis Ordinal "2 1 3 4" 3 && analysis Ordinal "4 2 1 3" 2 && analysis Nominal "1 2 3 4" 3
  printf '%s\n' "menu Y > Select Y" "dialog Select  Y variable(s)" "  set 1000 = ^grade" "  press OK" "dialog 148" \
    "  set No fragmentation = on" "  press OK" dismiss "dialog Criteria" "  press Cancel"
} >"$work/grades.txt"
run_program grades 0 "$meru"
# part K CROSS-TAB LINE...: the log from the K-th Y > Select Y cross-tabulates grade
# by ^grade as CROSS-TAB (rows joined by "|") and holds each LINE.
part() {
  awk -v k="$1" '/^%Y:Select/ { n++ } n == k' "$work/GRADES.LOG" >"$work/part$1"
  [ "$(sed -n '/^ Cross-tab of rows grade/,/^   Total/p' "$work/part$1" | tail -5 | tr -s ' ' | tr '\n' '|')" = "$2" ] ||
    fail "analysis $1: the cross-tab: $(sed -n '/^ Cross-tab/,/^   Total/p' "$work/part$1")"
  for line in "${@:3}"; do has "$work/part$1" "$line"; done
}
none="NOTE: no partition kept for" rarer=": the best split has no more of it in A than in A-"
part 1 " 1 8 1 1 10| 2 1 14 0 15| 3 0 1 9 10| 4 5 0 1 6| Total 14 16 11 41|" "Y: {grade =1,3,4}" "$none {grade >3}$rarer" \
  "   {grade =1,3,4}      {grade >2}          {grade >3}" "Y variable is {grade =1,3,4}" "  Added  attribute: +Y2      is created" \
  "    |   1             |           2 (  4.9%)        24 ( 58.5%) |       26 ( 63.4%)|" "Predictor of grade =4: no observation"
part 2 " 1 1 9 10| 2 14 1 15| 3 1 9 10| 4 0 6 6| Total 16 25 41|" "   {grade <4}          {grade =1,3}        {grade =3}" \
  "$none {grade =1,3}$rarer" "NOTE: no partition for {grade =3}: not searched, as {grade =1,3} has none" "      ( +Y1b= 1 )"
part 3 " 1 9 1 0 10| 2 0 14 1 15| 3 9 1 0 10| 4 1 0 5 6| Total 19 16 6 41|" "$none {grade =3}$rarer" "   A= ( +Y1c= 0 & +Y2c= 0 )"
has "$work/GRADES.LOG" " New Y=^grade Mean (SD n #values #miss)= 1.82927 ( 1.00977 41 3 0)"
finish "category_sequences: all passed"
