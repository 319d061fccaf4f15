#!/usr/bin/env bash
# Process > Random on lung under Log-rank (Y time, dead=0 censored) for the
# manual partition (4), age > 55: G_test is the printed Log-rank 0.6520 (R's
# survdiff(Surv(time, dead) ~ I(age > 55)) gives 0.652045), and of 2,000
# random partitions of U(0,1) size the count reaching it lies within five
# standard deviations of 844.4, the expectation of 100,000 partitions scored by
# survdiff (tools/reference/random_logrank.R: share 0.42218, s.d. of the count 22.1).
# File > New chosen while the partitions are drawn is not lost: its question
# follows the run.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=120

has() { grep -qF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""; }

cp "$src"/examples/lung.* "$work/"
cat >"$work/lung.txt" <<SCRIPT
$(lung_logrank)
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
log="$work/LUNG.LOG"
has "$log" "Log-rank=      0.6520 P = 0.419382"
has "$log" " # Partitions on last search=    0 G_test=0.65205"
expect_line lung "Current analysis will terminate saving only .log file LUNG.LOG"
count=$(sed -nE 's/^ # exceedances >= G_test \(\.6520 +\) is = +([0-9]+)\/ +2000=.*/\1/p' "$log")
[ -n "$count" ] && ((count >= 734 && count <= 955)) || fail "exceedances of G_test: '${count}', expected 734..955"
finish "random_partitions: all passed"
