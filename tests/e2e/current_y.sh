#!/usr/bin/env bash
# The Y the user confirmed is the Y the other Y-menu modes read. On lung, with
# time (the second column) as Y and log-rank censoring dead=0, the distribution
# of time is the Kaplan-Meier one: its note, no plain quartiles in the log and,
# in the survival view, the median mark at 310 days (R: survfit(Surv(time,
# status == 2) ~ 1, lung) gives median 310; the empirical median of the times is
# 255.5). The x axis puts 0 at pixel 87 with 85 pixels per 200 days, so the mark
# is at x = 219 and none is at 196. On birthwt with Y bwt, By group on bwt is
# refused as the Y and By group on low is taken. On lung, Process > Random for
# the manual partition (4), age > 55, tests the printed Log-rank 0.6520 (R's
# survdiff: 0.652045); of 2,000 random partitions of U(0,1) size the count
# reaching it lies within five s.d. of 844.4, the expectation from 100,000
# partitions scored by survdiff (tools/reference/random_logrank.R: share 0.42218,
# s.d. of the count 22.1); File > New chosen meanwhile asks its question after.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60
cp "$src"/examples/lung.* "$src"/examples/birthwt.* "$work/"

cat >"$work/lung.txt" <<SCRIPT
dismiss
menu File > Open
file $work/lung.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = time
  press OK
answer no
dismiss
$(settings_block criterion=Log-rank)
dialog Select attribute
  set 1007 = " dead=0"
  press OK
dismiss
menu Y > Distribution
dialog Variable for distribution
  set 1160 = time
  press OK
dismiss
click 11 245 7
shot 11 $work/survival.png
click 11 10 5
dialog Variable for distribution
  press Cancel
menu Process > Statistics
dialog Select partition
  set Manual = on
  press OK
dialog Manual partition
  set 1003 = (4)
  press OK
dismiss
key 57 Esc
menu Process > Random
dismiss
dialog Random partitions
  set 1003 = 2000
  set Random  U(0,1) split distribution = on
  press OK
at busy 20 menu File > New
answer no
SCRIPT
run_program lung 0 "$meru" MERU_YIELD_MS=0
expect_line lung "Variable time is designated censored. Survival and cdf are Kaplan-Meier"
# Censored, the distribution's table gives no plain quartiles of the times.
! grep -q "^25%, 50%, 75% iles" "$work/LUNG.LOG" || fail "lung: plain quartiles of a censored time"
[ "$("$probe" "$work/survival.png" 219 418)" = "0x997755" ] || fail "lung: no median mark at 310"
[ "$("$probe" "$work/survival.png" 196 418)" = "0xffffff" ] || fail "lung: a mark at the empirical median"
has "$work/LUNG.LOG" "Log-rank=      0.6520 P = 0.419382"
has "$work/LUNG.LOG" " # Partitions on last search=    0 G_test=0.65205"
count=$(sed -nE 's/^ # exceedances >= G_test \(\.6520 +\) is = +([0-9]+)\/ +2000=.*/\1/p' "$work/LUNG.LOG")
((${count:-0} >= 734 && ${count:-0} <= 955)) || fail "lung: $count of 2000 random partitions reach G_test"
expect_line lung "Current analysis will terminate saving only .log file LUNG.LOG"

cat >"$work/birthwt.txt" <<SCRIPT
dismiss
menu File > Open
file $work/birthwt.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = bwt
  press OK
answer no
answer ok
$(by_value bwt)
answer ok
dialog By group analysis variable
  set 1002 = low
  set By Value = on
  press OK
answer ok
SCRIPT
run_program birthwt 0 "$meru"
expect_line birthwt "Same as Y variable. Re-choose"
has "$work/BIRTHWT.LOG" "Analysis by variable: low"
has "$work/BIRTHWT.LOG" " By-group 2: low = 1.000"

finish "current_y: all passed"
