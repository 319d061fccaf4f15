#!/usr/bin/env bash
# Scripted serial ordinal and nominal analyses: a Y of four levels on sixteen
# observations with five binary variables u, v, w, z, s, fragmented into its
# indicators and searched one after another (non-iterative, "Up to 1", Top m 5),
# each indicator ranked and its directions decided as itself. Ordinal (Y>1, Y>2,
# Y>3), with "Attributes are primitive" so that the found partitions show: A lies
# within the partition found for the Y before, so the levels nest. Nominal (Y=1,
# Y=2, Y=3), by Chi-square and by Within MSE: A lies outside the partitions of
# all the Ys before, and on the side where its category is commoner (Y=3's best
# chi-square, 0.76 for z, puts it where it is rarer). The best partition of each
# Y, its chi-square, and the cross-tab of Y by the predicted level come from
# tools/reference/serial_ordinal.py.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60

paste -d, <(printf '%s\n' y 1 1 1 1 2 2 2 2 3 3 3 3 4 4 4 4) \
  <(printf '%s\n' u 0 0 1 0 1 1 1 0 1 1 1 1 1 1 0 1) \
  <(printf '%s\n' v 0 0 0 1 0 1 0 0 1 1 0 1 1 1 1 1) \
  <(printf '%s\n' w 0 1 0 0 0 0 1 0 0 1 0 1 1 1 1 0) \
  <(printf '%s\n' z 1 0 1 0 1 0 0 1 0 1 1 0 1 0 0 1) \
  <(printf '%s\n' s 0 0 0 0 0 1 1 1 1 0 0 1 1 1 1 1) >"$work/lev.csv"

# analysis NAME FRAGMENT CRITERION PRIMITIVE CROSS-TAB MISCLASSIFICATION LINE...:
# fragments y as FRAGMENT, searches each Y, and checks the log: three searches
# of five partitions, the cross-tab of y by ^y (its rows joined by "|"), the
# misclassification and each LINE.
analysis() {
  local name=$1 fragment=$2 criterion=$3 primitive=$4 tab=$5 error=$6
  shift 6
  printf '%s\n' "Ordered levels" "*" "y i 1 2 3" "u b 1" "v b 1" "w b 1" "z b 1" "s b 1" "*" "free comma" "lev.csv" \
    >"$work/$name.mrc"
  cat >"$work/$name.txt" <<SCRIPT
dismiss
menu File > Open
file $work/$name.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = y
  press OK
answer no
dialog 148
  set $fragment Fragment = on
  press OK
dismiss
menu Options
dialog Options
  set Attributes are primitive = $primitive
  press OK
$(settings_block criterion="$criterion" beta=automatic gamma=0 iterative=off size=1 upto=on both=on top=5)
menu Search > Go!
dismiss
click 15 20 8
click 15 20 8
click 15 20 8
SCRIPT
  run_program "$name" 0 "$meru"
  local log="$work/${name^^}.LOG"
  [ "$(grep -cxF " # Partitions generated 5" "$log")" = 3 ] || fail "$name: not three searches of five partitions"
  [ "$(sed -n '/^ Cross-tab of rows y by columns ^y/,/^   Total/p' "$log" | tail -5 | tr -s ' ' | tr '\n' '|')" = "$tab" ] ||
    fail "$name: the cross-tab of y by ^y: $(sed -n '/^ Cross-tab of rows y/,/^   Total/p' "$log")"
  has "$log" " Misclassification error= $error"
  for line; do has "$log" "$line"; done
}

chisq="                Chi-sq statistic="
analysis ord Ordinal Chi-square on " 1 4 0 0 0 4| 2 1 2 1 0 4| 3 2 0 1 1 4| 4 0 0 1 3 4| Total 7 2 3 4 16|" 37.50% \
  "   A= ( s=1 )" "$chisq    6.86 (P= 0.00883)" "   A= ( +Y1= 1 & v=1 )" "$chisq    6.35 (P= 0.01174)" \
  "   A= ( +Y2= 1 & w=1 )" "$chisq    7.11 (P= 0.00766)" "Predictor of y =3" "      ( +Y2= 1 & +Y3= 0 )"
nominal=(" 1 4 0 0 0 4| 2 1 2 1 0 4| 3 2 0 2 0 4| 4 0 0 3 1 4| Total 7 2 6 1 16|" 43.75%
  "   A= ( s=0 )" "$chisq    6.86 (P= 0.00883)" "   A= ( v=0 & s=1 )" "   A= ( u=1 & v=1 & s=1 )"
  "$chisq    0.36 (P= 0.55098)" "Predictor of y =4" "   A= ( +Y1= 0 & +Y2= 0 & +Y3= 0 )")
analysis nom Nominal Chi-square off "${nominal[@]}"
analysis mse Nominal "Within MSE" off "${nominal[@]}"

finish "serial: all passed"
