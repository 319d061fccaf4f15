#!/usr/bin/env bash
# The tree diagram of a kyphosis tree grown by Search:Go! under the Tree strategy
# (Y kyphosis, Chi-square), pruned by the rules terminal n 5, critical z 1, splits
# kept when the children predict one class. The root splits at start>12 with
# 20/15 and 44/2 of class 0/1 outside and inside: chi-square 17.7752 (R:
# chisq.test(table(start > 12, kyphosis), correct = FALSE)). Shown leaves, left
# to right: 3 (start<=12, age<=20), 9 and 10 (start<=12, age>20, number<=4 and
# >4), 5 and 6 (start>12, start<=14 and >14), at x = 60, 180, 300, 420, 540; the
# fourth level at y = 294. Leaves 3 and 10 are highlighted and Part makes them A,
# which the statistics of the run then use. The help note that follows the pair's
# compatibility check is closed and the offer to save the partition declined. Saves the acceptance pictures of the diagram and of the Partition window.
# Then By group on number unchecks Tree, and File > New of a copy of lung.csv
# (Y dead) starts from the user's own settings, not the tree's: its Strategy
# dialog shows iterative mode, Decide positivity and Top m 10 (not the 3 lines
# the tree ranked), and its Search:Go! runs the extent "2 2", not the tree's
# single attributes with floating cuts (which stopped it with the float note).
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
source "$(dirname "$0")/lib/tree_settings.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
shots="${MERU_E2E_SHOTS:-$work}"
mkdir -p "$shots"

cp "$src"/examples/kyphosis.* "$work/"
cp "$src/examples/lung.csv" "$work/pbc.csv"
{
  tree_settings
  cat <<SCRIPT
menu Search > Go!
dismiss
dialog Tree stopping rules
  set Minimum terminal node n = 5
  set Critical t or z = 1
  set Don't split if same class = off
  press OK
click 23 60 220
click 23 300 310
shot 23 $shots/tree_window_kyphosis.png
click 23 100 5
shot 18 $shots/tree_window_partition.png
answer ok
answer no
$(by_value number)
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
log="$work/KYPHOSIS.LOG"
has "$log" "     0     1     81  64/17                0  start          17.7752  0.0000"
has "$log" "    10     4     13  4/9                  1"
has "$log" "Tree partition, highlighted nodes"
has "$log" "   A= ( start<=12 & age<=20 )"
has "$log" "   or ( start<=12 & age>20 & number>4 )"
has "$log" "Complement, non-highlighted nodes"
has "$log" "  A-= ( start>12 & start<=14 )"
has "$log" "   or ( start<=12 & age>20 & number<=4 )"
# The statistics of the run take the tree partition: A holds leaf 3 (8/1 of class
# 0/1) and leaf 10 (4/9), 22 observations with mean 10/22.
has "$log" "  A      22  0.4545     0.4979"
[ "$("$probe" "$shots/tree_window_kyphosis.png" size)" = "600x520" ] || fail "no picture of the tree"
! grep -q "^Float levels above 1" "$work/tree.err" || fail "the tree's float levels reached the new analysis"
for line in " Iterative mode" " Decide positivity" " Top m attributes, m=  10" " Up to size p_1,..p_q=2 2"; do
  has "$work/PBC.LOG" "$line"
done
# Inside the boxes, left of their text: leaves 3 and 10 yellow, leaf 9 white, node 1 grey.
for xyc in "32 235 0x00ffff" "272 325 0x00ffff" "152 325 0xffffff" "122 145 0xeeeeee"; do
  set -- $xyc
  [ "$("$probe" "$shots/tree_window_kyphosis.png" $1 $2)" = "$3" ] || fail "tree ($1, $2) is not $3"
done
# The Partition window is 600 pixels wide and as tall as its rows.
psize=$("$probe" "$shots/tree_window_partition.png" size)
[ "${psize%x*}" = 600 ] && [ "${psize#*x}" -gt 14 ] && [ "${psize#*x}" -lt 630 ] || fail "no picture of the partition: $psize"

finish "tree_window: all passed"
