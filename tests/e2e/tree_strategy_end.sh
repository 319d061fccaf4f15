#!/usr/bin/env bash
# The Tree strategy ends with the user's own settings back. A kyphosis tree is
# grown (Chi-square, iterative mode and positivity off; the tree's search cuts
# Top m 10 to the three lines it ranked), a leaf taken as the partition (Part),
# then By group on number unchecks Tree and File > New opens a copy of lung.csv
# with Y dead. Its Strategy dialog shows iterative mode, Decide positivity and
# Top m 10 again, and its Search:Go! runs the extent "2 2", not the tree's single
# attributes with floating cuts (which stopped it with the float-level note).
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
source "$(dirname "$0")/lib/tree_settings.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"

has() { grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""; }

cp "$src"/examples/kyphosis.* "$work/"
cp "$src/examples/lung.csv" "$work/pbc.csv"
{
  tree_settings
  tree_grown
  cat <<SCRIPT
click 23 60 220
click 23 100 5
answer no
menu Y > By group/cross-validate
dialog By group analysis variable
  set 1002 = number
  set By Value = on
  press OK
answer ok
answer ok
menu File > New
answer yes
file $work/pbc.csv
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = dead
  press OK
answer no
dismiss
menu Strategy
dialog Strategy
  press OK
menu Search > Go!
dismiss
SCRIPT
} >"$work/tree.txt"
run_program tree 0 "$meru"
expect_line tree "By-group mode and tree analysis cannot be combined"
! grep -q "^Float levels above 1" "$work/tree.err" || fail "the tree's float levels reached the new analysis"
log="$work/PBC.LOG"
for line in " Iterative mode" " Decide positivity" " Top m attributes, m=  10" " Up to size p_1,..p_q=2 2"; do
  has "$log" "$line"
done
finish "tree_strategy_end: all passed"
