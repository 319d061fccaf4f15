#!/usr/bin/env bash
# The analysis after a first one starts from the user's settings, not from what
# the program derived for the first one or what a tree set for itself: a search
# after a first analysis is compared with the same search alone in a fresh
# program (its log from its "%Search:Go!" heading on, less time lines, the
# once-a-run note "NOTE: q=1 and p_1=1" and the exit line; within one analysis
# also less the search letter of added attributes and the cut correlations,
# named by the directions an earlier search of the analysis turned).
# 1. birthwt: Chi-square, beta 0.05, Top m 5 typed before "Set Extent
#    Parameters", "Up to 3"; Go!; a tree; Tree unticked: Go! is the first
#    search alone, beta 0.05 and "Up to 3" included.
# 2. kyphosis: Entropy with user priors and costs, weighed by costs, gamma 0.5;
#    Go! truncates Top m to 3; Tree left on. A copy of birthwt, Process >
#    Statistics with Manual: the field is empty; Entropy: Go! is that search
#    alone (no priors, costs or gamma, m=5, "Up to 3", +a_1).
# 3. Typed and used: Top m 2 with Tree (the tree searches 2 lines); Top m 4 with
#    the Extent dialog cancelled (the Strategy dialog comes back and takes 4).
#    Stopping rules 30/12/1.5 and a split at the 53 = int(0.6666 x 81) offered.
#    Then birthwt: Tree, Constrain X, Top m 7 and 0 iterations typed, the dialog
#    again, Cancel: OK on the next one logs and takes the settings before
#    (iterative, m=4, no X constraint dialog, no refusal); a tree by the rules
#    kept, each tree logging them; the split offers 125 of 189 (66.14%).
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"

cp "$src"/examples/birthwt.* "$src"/examples/kyphosis.* "$work/"
cp "$src/examples/birthwt.mrc" "$work/lowbw.mrc"

open() { printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\n' "$work/$1"; }
reopen() { printf 'menu File > Open\nanswer yes\nfile %s\ndismiss\n' "$work/$1"; }
y_of() { printf 'menu Y > Select Y\ndialog Select  Y variable(s)\n  set 1000 = %s\n  press OK\nanswer no\ndismiss\n' "$1"; }
# go N: Search:Go! with a click on each of its N hull windows.
go() {
  printf 'menu Search > Go!\ndismiss\n'
  for ((i = 0; i < $1; i++)); do echo "click 15 20 8"; done
}
split() { printf 'menu Edit > Split sample\ndialog Training sample\n  press OK\ndismiss\n'; }
criteria() { printf 'menu Criteria\ndialog Criteria\n' && printf '  set %s\n' "$@" && printf '  press OK\n'; }
# Top m 5 typed, then "Set Extent Parameters": "Up to 3"; the Strategy dialog again, OK.
top5() {
  printf 'menu Strategy\ndialog Strategy\n  set Top m attributes: = 5\n  press Set Extent Parameters\n'
  printf 'dialog Extent Parameters\n  set Size p_1,..,p_q = 3\n  press OK\ndialog Strategy\n  press OK\n'
}
# Tree ticked: the dialog comes back with the boxes the tree turned off; the tree's extent.
tree_on() {
  printf 'menu Strategy\ndialog Strategy\n  set Tree = on\n%s  press OK\ndialog Strategy\n  press OK\n' "${1:-}"
  printf 'dialog Extent Parameters\n  press OK\n'
}
kyphosis_costs() {
  criteria "Criterion = Entropy" "User priors. Enter: = on" "1024 = 0.3 0.7" "Specify costs = on" \
    "Weigh criterion by costs = on" "2027 = 0 2" "2028 = 1 0" "Gamma = 0.5"
}
# block LOG [same]: the last search's lines as compared; "same" for a search of
# an analysis that searched before.
block() {
  awk '/^%Search:Go!/ { n = NR } { l[NR] = $0 } END { for (i = n + 1; i <= NR; i++) print l[i] }' "$1" |
    grep -v -e '^%time' -e '^NOTE: q=1 and p_1=1$' -e '^User File:Exit of MERU$' |
    if [ "${2:-}" = same ]; then grep -v ' ro= ' | sed -E 's/\+[a-zA-Z]_/+?_/g'; else cat; fi
}
# compare NAME LOG-AFTER LOG-ALONE [same]
compare() {
  diff <(block "$2" "${4:-}") <(block "$3" "${4:-}") >"$work/$1.diff" ||
    { fail "$1: the search differs from the same search alone"; head -30 "$work/$1.diff"; }
}

# The searches alone.
{ open birthwt.mrc; y_of low; top5; criteria "Criterion = Chi-square" "Beta = 0.05"; go 2; } >"$work/first.txt"
run_program first 0 "$meru"
mv "$work/BIRTHWT.LOG" "$work/first.log"
{ open lowbw.mrc; y_of low; top5; criteria "Criterion = Entropy"; go 2; } >"$work/second.txt"
run_program second 0 "$meru"
mv "$work/LOWBW.LOG" "$work/second.log"
grep -qxF " Top m attributes, m=   5" "$work/second.log" || fail "second: the Top m typed before the extent was lost"

# 1 and 2 in one program.
{
  open birthwt.mrc
  y_of low
  top5
  criteria "Criterion = Chi-square" "Beta = 0.05"
  go 2
  tree_on
  printf 'menu Search > Go!\ndismiss\ndialog Tree stopping rules\n  press OK\nkey 23 Esc\n'
  printf 'menu Strategy\ndialog Strategy\n  set Tree = off\n  set Iterative mode = on\n  set Decide positivity = on\n'
  printf '  press OK\ndialog Extent Parameters\n  press OK\n'
  go 2
  reopen kyphosis.mrc
  y_of kyphosis
  kyphosis_costs
  go 2
  tree_on
  reopen lowbw.mrc
  y_of low
  printf 'menu Process > Statistics\ndialog Select partition\n  set Manual = on\n  press OK\n'
  printf 'dialog Manual partition\n  press OK\ndismiss\ndialog Manual partition\n  press Cancel\n'
  criteria "Criterion = Entropy"
  go 2
} >"$work/after.txt"
run_program after 0 "$meru"
grep -qxF " Penalty parameter beta=   0.0500" <(block "$work/BIRTHWT.LOG") || fail "after: beta 0.05 lost after the tree"
compare after_tree "$work/BIRTHWT.LOG" "$work/first.log" same
grep -qF "Top m too large. Truncated to 3," "$work/after.err" || fail "after: kyphosis did not truncate Top m"
compare next_data "$work/LOWBW.LOG" "$work/second.log"
# The Manual field starts empty, not with kyphosis's partition: OK on it is refused.
has "$work/LOWBW.LOG" " Bad Boolean expression"
! grep -q "^ Partition:combination:" "$work/LOWBW.LOG" || fail "after: the Manual field held kyphosis's partition"

# 3. Typed on kyphosis: Top m 2 with Tree, then Top m 4 and the extent cancelled.
{
  open kyphosis.mrc
  y_of kyphosis
  tree_on "  set Top m attributes: = 2
"
  printf 'menu Search > Go!\ndismiss\ndialog Tree stopping rules\n  set Parent-node minimum n = 30\n'
  printf '  set Minimum terminal node n = 12\n  set Critical t or z = 1.5\n  press OK\nkey 23 Esc\n'
  printf 'menu Strategy\ndialog Strategy\n  set Tree = off\n  set Top m attributes: = 4\n  press Set Extent Parameters\n'
  printf 'dialog Extent Parameters\n  press Cancel\ndialog Strategy\n  press OK\n'
  split
  reopen birthwt.mrc
  y_of low
  printf 'menu Strategy\ndialog Strategy\n  set Tree = on\n  set Constrain X space = on\n  set Top m attributes: = 7\n'
  printf '  set Maximum iterations = 0\n  press OK\ndialog Strategy\n  press Cancel\nmenu Strategy\ndialog Strategy\n'
  printf '  press OK\nmenu Strategy\ndialog Strategy\n  set Tree = on\n  set Iterative mode = off\n'
  printf '  set Decide positivity = off\n  press Set Extent Parameters\n'
  printf 'dialog Extent Parameters\n  set Size p_1,..,p_q = 1\n  press OK\ndialog Strategy\n  press OK\n'
  printf 'menu Search > Go!\ndismiss\ndialog Tree stopping rules\n  press OK\nkey 23 Esc\n'
  split
} >"$work/typed.txt"
run_program typed 0 "$meru"
log="$work/KYPHOSIS.LOG"
rules=" Tree stopping rules: parent n>=  30, terminal n>=  12, t or z>= 1.500, same class not split"
has "$log" "$rules"
has "$log" " There are      53(  65.43%) training observations"
has "$work/BIRTHWT.LOG" "$rules"
has "$work/BIRTHWT.LOG" " There are     125(  66.14%) training observations"
# The cancelled %Strategy block is empty; the next one logs the settings before it.
[ "$(awk '/^%Strategy/ { n++ } n && n < 3 && !/^%/' "$work/BIRTHWT.LOG")" = \
  "$(printf ' Iterative mode\n Not-forcing\n Decide positivity\n Top m attributes, m=   4')" ] ||
  fail "typed: Cancel kept what the Strategy dialog read before"
[ "$(grep -m1 "Current positive attribute set of" "$log")" = " Current positive attribute set of  m=  2 attributes is:" ] ||
  fail "typed: the tree's attribute set is not the 2 lines typed with Tree"
[ "$(grep " Top m attributes, m=" "$log" | tail -1)" = " Top m attributes, m=   4" ] ||
  fail "typed: Top m 4 was not taken after the cancelled Extent dialog"

finish "next_analysis: all passed"
