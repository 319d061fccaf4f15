#!/usr/bin/env bash
# The current partition after a tree is the tree's own, or none.
# 1. bcw, Y malig, Tree, "Yes to all": the tree keeps usize and ushape; its node
#    6 (usize>2 & ushape>2) holds 247 with 23/224 of class 0/1. While its window
#    waits, the Partition window shows its caption alone, not the last node's
#    split (a row more). Part on leaf 6 makes it A for the run's statistics and
#    for Process > Statistics (Current): 224 of class 1 in A both times.
# 2. birthwt, Y low, Gini, extent 1: after Esc there is no current partition
#    (the last node's split was used before).
# 3. However a tree ends, its last node's search is no search of the sample:
#    Process > Statistics refuses Optimal ("no search done") as well as Current,
#    for a count-table criterion (Esc key), Log-rank on a censored time (the close
#    box, which only minimises the waiting window, then its Esc button), Within
#    MSE (Search > End while it grows) and Gini (a second tree's Go!, then Esc).
#    Optimal gave the last node's split.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"

cp "$src"/examples/bcw* "$src"/examples/birthwt.* "$work/"
{
  open_with_y bcw.mrc malig
  settings_block tree=on iterative=off positivity=off
  cat <<SCRIPT
menu Search > Go!
answer ok
dialog 141
  press Yes to all
dismiss
dialog Tree stopping rules
  press OK
shot 18 $work/waiting.png
click 23 500 220
click 23 110 8
answer no
menu Process > Statistics
dialog Select partition
  press OK
dismiss
SCRIPT
} >"$work/bcw.txt"
run_program bcw 0 "$meru"
log="$work/BCW.LOG"
has "$log" "     6     3    247  23/224               1"
[ "$(grep -cxF "   A= ( usize>2 & ushape>2 )" "$log")" -eq 2 ] || fail "bcw: the leaf is not A twice"
[ "$(grep -cF "|   1             |          17 (  2.4%)       224 ( 32.0%) |" "$log")" -eq 2 ] ||
  fail "bcw: the statistics do not count the leaf's 224 of class 1 twice"
[ "$("$probe" "$work/waiting.png" size)" = "600x29" ] || fail "bcw: the Partition window shows a partition"

{
  open_with_y birthwt.mrc low
  settings_block criterion="Gini diversity" tree=on iterative=off positivity=off size=1
  cat <<SCRIPT
menu Search > Go!
dismiss
dialog Tree stopping rules
  press OK
key 23 Esc
menu Process > Statistics
dialog Select partition
  set Current = on
  press OK
dismiss
dialog Select partition
  press Cancel
SCRIPT
} >"$work/birthwt.txt"
run_program birthwt 0 "$meru"
expect_line birthwt "NOTE: There is no current partition"

cp "$src"/examples/kyphosis.* "$src"/examples/lung.* "$work/"
censored='dialog Select attribute\n  set 1007 = " dead=0"\n  press OK\ndismiss'
grown='menu Search > Go!\ndismiss\ndialog Tree stopping rules\n  press OK'
ended='menu Search > Go!\ndismiss\nat busy 60 menu Search > End\ndismiss'
for row in "kyphosis.mrc|kyphosis|Chi-square||$grown\nkey 23 Esc" \
  "lung.mrc|time|Log-rank|$censored|$grown\nclose 23\nclick 23 20 8" \
  "lung.mrc|age|Within MSE||$ended" \
  "birthwt.mrc|low|Gini diversity||$grown\nkey 23 Esc\n$grown\nkey 23 Esc"; do
  IFS='|' read -r mrc y criterion after end <<<"$row"
  name=${mrc%.mrc}_${criterion// /}
  {
    open_with_y "$mrc" "$y"
    settings_block criterion="$criterion"
    printf '%b\n' "$after"
    settings_block tree=on iterative=off positivity=off size=1
    printf '%b\n' "$end"
    printf '%s\n' "menu Process > Statistics" "dialog Select partition" "  set Optimal Complexity penalised = on" \
      "  press OK" dismiss "dialog Select partition" "  set Current = on" "  press OK" dismiss \
      "dialog Select partition" "  press Cancel"
  } >"$work/$name.txt"
  run_program "$name" 0 "$meru" MERU_YIELD_MS=0
  expect_line "$name" 'NOTE: no search done so no "optimal partition"'
  expect_line "$name" "NOTE: There is no current partition"
  # The censored time's root: 165 events of 228, median 310, ph_ecog > 1 against
  # the rest 15.9641 (R: survfit, survdiff(Surv(time, dead) ~ ph_ecog > 1)).
  [ "$criterion" != Log-rank ] || has "$work/LUNG.LOG" "     0     1    228      165     310.0000  ph_ecog        15.9641  0.0001"
done

finish "tree_partition: all passed"
