#!/usr/bin/env bash
# A kyphosis tree grown by Search:Go! under the Tree strategy (Y kyphosis,
# Chi-square, positivity as specified): start works against kyphosis at many
# nodes, yet the note "NOTE: negative attributes!" is shown once for the tree
# and written to the log at every node that has it. File > Open of birthwt then
# closes the tree diagram of the old analysis: a picture of window 23 finds no
# window, which ends the run with status 3.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
source "$(dirname "$0")/lib/tree_settings.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"

cp "$src"/examples/kyphosis.* "$src"/examples/birthwt.* "$work/"
{
  tree_settings
  cat <<SCRIPT
menu Search > Go!
dismiss
dialog Tree stopping rules
  press OK
click 23 20 8
menu File > Open
answer yes
file $work/birthwt.mrc
dismiss
menu Options
dialog Options
  press Cancel
shot 23 $work/stale_tree.png
SCRIPT
} >"$work/tree.txt"
run_program tree 3 "$meru"
expect_line tree "(no window 23)"
shown=$(grep -c "^Some attribute lines were found to work in the opposite direction" "$work/tree.err")
[ "$shown" -eq 1 ] || fail "the negative-attributes note shown $shown times, expected once"
logged=$(grep -cxF "NOTE: negative attributes!" "$work/KYPHOSIS.LOG")
[ "$logged" -gt 1 ] || fail "the negative-attributes note logged $logged times, expected at every such node"

finish "tree_aftermath: all passed"
