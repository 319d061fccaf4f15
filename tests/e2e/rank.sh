#!/usr/bin/env bash
# Scripted runs of Rank > Fix Positive attributes on votes84 with `repub` moved
# to the first column (so that it is the default Y): the automatic rule turns
# the votes that correlate negatively with repub, the dialog's OK keeps them,
# and a second run with "As in CF" turns every line back. Then by-group mode.
# The negative votes are those of tools/reference/point_biserial.py on the
# reordered file (weighted point-biserial correlation, complete pairs):
#   v01 -0.409, v03 -0.749, v07 -0.522, v08 -0.662, v09 -0.630, v11 -0.378,
#   v15 -0.538, v16 -0.353 (the other eight are positive).
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=60
export MERU_PREFS="$work/meru.prf"

run() { run_program "$1" "$2" "$meru"; }

cp "$src/examples/votes84.mrc" "$work/"
awk -F, 'BEGIN { OFS = "," } { print $17, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16 }' \
  "$src/examples/votes84.csv" >"$work/votes84.csv"
log="$work/VOTES84.LOG"
open="dismiss
menu File > Open
file $work/votes84.mrc
dismiss
menu Y > Ok  repub
answer no
dismiss"

cat >"$work/fixpos.txt" <<SCRIPT
$open
menu Rank > Fix Positive attributes
dialog Rank:Fix Positive attributes
  press OK
menu Rank > Fix Positive attributes
dialog Rank:Fix Positive attributes
  press As in CF
dialog Rank:Fix Positive attributes
  press OK
SCRIPT
run fixpos 0

has "$log" " Directions of    8 control file lines are swapped"
has "$log" "to make new positive attribute(s):"
# The names under the heading: the eight lines after it.
names=$(grep -A8 -xF "to make new positive attribute(s):" "$log" | tail -8 | awk '{ print $1 }' | sort | tr '\n' ' ')
[ "$names" = "v01 v03 v07 v08 v09 v11 v15 v16 " ] || fail "swapped lines: $names"
has "$log" "No attribute directions are swapped"
grep -qF "repub" <(grep -A8 -xF "to make new positive attribute(s):" "$log") && fail "repub listed"
# By-group mode: Rank > Fix Positive attributes shows its note once, back to
# the idle poll. A Go! over the groups: a and b are constant in each, so the
# rule cannot decide them six times; one note, each line in the log.
awk 'BEGIN { print "y,g,x,a,b"; for (i = 0; i < 60; i++) { g = i % 3; x = i % 7 + 1
  print ((x > 4) != (i % 11 == 0)) "," g "," x "," g "," (g == 1) } }' >"$work/groups.csv"
printf 'Constant in each group\n*\ny b 1\ng n012\nx i 2 4 6\na i 0 1\nb b 1\n*\nfree comma\ngroups.csv\n' \
  >"$work/groups.mrc"
{
  open_with_y groups.mrc y
  by_value g
  printf 'answer ok\nmenu Rank > Fix Positive attributes\nanswer ok\n'
  settings_block iterative=off size=1 upto=on top=3
  printf 'menu Search > Go!\ndialog 141\n  press Yes to all\ndismiss\n'
  printf 'click 15 20 8\n%.0s' 1 2 3
  printf 'key 57 Esc\n'
} >"$work/groups.txt"
run groups 0
[ "$(grep -c "cannot Fix Positive attributes in By-group mode" "$work/groups.err")" -eq 1 ] || fail "groups: the by-group note"
[ "$(grep -c "opposite directions about equally" "$work/groups.err")" -eq 1 ] || fail "groups: the undecided note"
log="$work/GROUPS.LOG"
[ "$(grep -c "^NOTE: do not know what to do" "$log")" -eq 6 ] || fail "groups: each undecided line in the log"
finish "rank: all passed"
