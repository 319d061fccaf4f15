#!/usr/bin/env bash
# Scripted runs of the attribute picker and what it sets: X constraints and
# forcing on bcw (after Select Y), the training split on kyphosis, and the
# censoring set-up of the log-rank criterion on lung with `time` first.
# The expected counts were taken with awk from the data files.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=60
export MERU_PREFS="$work/meru.prf"

# run NAME: runs the script NAME.txt, which must end at the idle poll
run() { run_program "$1" 0 "$meru"; }
# has FILE TEXT: the file holds a line equal to TEXT
# err NAME TEXT: the run's standard error holds TEXT
err() { grep -qF -- "$2" "$work/$1.err" || fail "$1: no \"$2\" on standard error"; }

cp "$src"/examples/bcw.mrc "$src"/examples/bcw_orig.csv "$src"/examples/kyphosis.* "$work/"
bcw="dismiss
menu File > Open
file $work/bcw.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = malig
  press OK
answer no
dismiss"

# 1. X constraints: thick>5 leaves 186 observations (awk: thick > 5), then
# usize>2 within them 165 (thick > 5 and usize > 2); unticking lifts them.
cat > "$work/xconstr.txt" <<SCRIPT
$bcw
$(settings_block xconstrain=on)
dialog Select attribute
  set 1007 = "*thick>5"
  press OK
answer ok
menu Strategy
dialog Strategy
  press OK
answer yes
answer yes
dialog Select attribute
  set 1007 = "*usize>2"
  press OK
answer ok
$(settings_block xconstrain=off)
SCRIPT
run xconstr
log="$work/BCW.LOG"
has "$log" "X restrictions:"
has "$log" "    thick>5"
has "$log" "    usize>2"
has "$log" " There are 186 observations in X space"
has "$log" " There are 165 observations in X space"
has "$log" " Constrain X space lifted"
# The opening's frequency line of thick>5 agrees.
grep -qE '^2 +3  thick >5 +186 ' "$log" || fail "frequency line of thick>5"

# 2. Forcing the tagged thick>5: intersection with A, union of thick<=5 with A-.
cat > "$work/force.txt" <<SCRIPT
$bcw
$(settings_block forcein=on)
dialog Select attribute
  set 1007 = "*thick>5"
  press OK
dismiss
SCRIPT
run force
grep -qE '^Forced attribute: thick>5' "$log" || fail "no \"Forced attribute: thick>5\" line"
grep -F "Forced intersection of thick>5" "$log" | grep -F " A, forced union of thick<=5" | grep -qF "A-" ||
  fail "forcing note"

# 3. Training split on kyphosis (81 observations): the default size
# int(0.6666 x 81) = 53; size 71 leaves a test sample of 10, refused.
cat > "$work/split.txt" <<SCRIPT
dismiss
menu File > Open
file $work/kyphosis.mrc
dismiss
menu Edit > Split sample
dialog Training sample
  set Repeatable random sample = on
  press OK
answer ok
menu Process > Switch to test sample
menu Edit > Split sample
dialog Training sample
  set 1002 = 71
  press OK
answer ok
dialog Training sample
  press Cancel
answer ok
SCRIPT
run split
klog="$work/KYPHOSIS.LOG"
has "$klog" " There are      53(  65.43%) training observations"
grep -qxF "  Repeatable random split" "$klog" || fail "no repeatable split line"
has "$klog" "Analysis is now on the test sample"
err split "Require > 10 observations in a training/test sample"
has "$klog" "Cancel Training Sample dialog: Data set is not split"

# 4. Log-rank censoring on lung with time first: dead=0 is the censored side,
# 63 of 228 (awk); choosing Log-rank again and keeping it repeats the line.
awk -F, -v OFS=, '{t = $2; $2 = $1; $1 = t; print}' "$src/examples/lung.csv" > "$work/lung.csv"
sed -e 's/^inst mean$/time median/;t' -e 's/^time median$/inst mean/' "$src/examples/lung.mrc" > "$work/lung.mrc"
cat > "$work/censor.txt" <<SCRIPT
dismiss
menu File > Open
file $work/lung.mrc
dismiss
menu Y > Ok  time
answer no
dismiss
$(settings_block criterion=Log-rank)
dialog Select attribute
  set 1007 = " dead=0"
  press OK
dismiss
$(settings_block criterion=Log-rank)
answer no
dismiss
SCRIPT
run censor
llog="$work/LUNG.LOG"
[ "$(grep -c '^Censor attribute : dead=0' "$llog")" -eq 2 ] || fail "two \"Censor attribute : dead=0\" lines"
grep -qE '^ There are +63\.?0*\( *27\.63%\) censored' "$llog" || fail "censored share 63 of 228"
has "$llog" "Log-rank - incidence rates will be calculated"

finish "picker: all passed"
