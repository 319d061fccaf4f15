#!/usr/bin/env bash
# A first analysis of the bcw example as a user makes it, in one run: File:Open,
# Y:OK (malig, moved to the first column), Chi-square with automatic beta,
# Strategy and Extent at their defaults (iterative, "Up to 2 2", fixed cuts),
# Search:Go! to the end with Esc on each iteration's hull window (the winner's
# statistics and the Search Summary follow), View > Output, File:Exit.
# The values checked come from tools/reference/hull_reference.py on the nine
# attributes at their fixed cuts (usize>2 ushape>2 barenuc>3 chromat>3 epsize>2
# nucleoli>3 adhes>3 thick>5 mitoses>1, "." kept missing): 9 + 72 + 504 + 756 =
# 1341 candidates, hull 1 2 3 5, beta 24.6718, best at complexity 3 with
# G - beta c = 497.292, won by ushape, barenuc and epsize. The winner's
# statistics, worked out from the data in three-valued logic (an observation
# whose membership is undetermined left out): A = (ushape>2 & barenuc>3) or
# (ushape>2 & epsize>2) holds 17 of the 454 benign and 227 of the 239 malignant
# of 693 observations; Pearson chi-square 571.307; misclassification 29/693 =
# 4.18%.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
shots="${MERU_E2E_SHOTS:-$work}"
mkdir -p "$shots"

has() { grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""; }
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; if (d < 0) d = -d; m = b < 0 ? -b : b; exit !(d <= 5e-5 * m) }'; }
after() { grep -F -- "$2" "$1" | head -1 | sed "s/.*$(printf '%s' "$2" | sed 's/[][\.*^$/]/\\&/g')//"; }

sed 's/^bcw_orig.csv/bcwm.csv/' "$src/examples/bcw.mrc" >"$work/bcwm.mrc"
awk -F, 'BEGIN { OFS = "," } { sub(/\r$/, ""); last = $NF; $NF = ""; sub(/,$/, ""); print last, $0 }' \
  "$src/examples/bcw_orig.csv" >"$work/bcwm.csv"

cat >"$work/tour.txt" <<SCRIPT
dismiss
menu File > Open
file $work/bcwm.mrc
dismiss
menu Y > Ok  malig
answer no
dismiss
menu Options
dialog Options
  set Display graphics while searching = off
  press OK
menu Criteria
dialog Criteria
  set Criterion = Chi-square
  set Beta = automatic
  press OK
menu Search > Go!
dismiss
click 15 20 8
click 15 20 8
shot frame $shots/first_analysis_hull.png
menu View > Output BCWM.LOG
dismiss
key 57 Esc
menu File > Exit
answer yes
SCRIPT
run_program tour 0 "$meru"
log="$work/BCWM.LOG"

has "$log" " Chi-square ; gamma= 0.000; Complexity q + q' - 1"
has "$log" " Up to size p_1,..p_q=2 2"
has "$log" " # Partitions generated 1341"
beta=$(after "$log" " Penalty parameter beta automatically set to ")
near "$beta" 24.6718 || fail "automatic beta $beta, expected 24.6718"
# Both iterations end on the same partition.
[ "$(grep -c "^ Best at complexity" "$log")" = 2 ] || fail "not two \"Best at complexity\" lines"
while IFS= read -r best; do
  best=${best# Best at complexity }
  [ "${best%%;*}" = "  3" ] || fail "best at complexity: $best"
  near "${best#*G_beta=}" 497.292 || fail "G_beta: $best"
done < <(grep "^ Best at complexity" "$log")
names=$(grep -A2 -xF "Best on iteration 1" "$log" | tail -n +2 | grep -oE '[a-z]+[<>]' | tr -d '<>' | sort -u | tr '\n' ' ')
[ "$names" = "barenuc epsize ushape " ] || fail "winner's attributes: $names"
has "$log" " Convergence (same as last iteration partition) in    2 iterations"
for row in "|   0             |         437 ( 63.1%)        17 (  2.5%) |      454 ( 65.5%)|" \
  "|   1             |          12 (  1.7%)       227 ( 32.8%) |      239 ( 34.5%)|"; do
  has "$log" "    $row"
done
has "$log" "                Chi-sq statistic=  571.31 (P= 0.00000)"
has "$log" " Resubstitution error is    4.18%"
# The Search Summary's row: complexity, G - beta c, error and sample size.
summary=$(grep -A6 -xF "%Search Summary" "$log" | awk '$1 == 1 && NF == 8 { print $3, $4, $5, $6 }')
[ "${summary% * *}" = "3 497.29211" ] || fail "Search Summary row: $summary"
[ "${summary#* * }" = "4.18% 693" ] || fail "Search Summary row: $summary"
expect_line tour "progress: ..viewing output log  BCWM.LOG"
[ "$(tail -n 1 "$log")" = "User File:Exit of MERU" ] || fail "the log does not end with the exit line"
[ "$("$probe" "$shots/first_analysis_hull.png" size)" != "" ] || fail "no picture of the frame"

finish "first_analysis: all passed"
