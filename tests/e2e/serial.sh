#!/usr/bin/env bash
# Scripted serial ordinal and nominal analyses: a Y of four levels on sixteen
# observations with four binary variables u, v, w, z, fragmented into its
# indicators and searched one after another (Chi-square, non-iterative, "Up to
# 1", Top m 4). Ordinal (Y>1, Y>2, Y>3): the search of each Y keeps A within the
# partitions found for the Ys before it, so the level partitions nest. Nominal
# (Y=1, Y=2, Y=3): A stays outside them, so the level partitions are disjoint.
# The best partition of each Y, its chi-square, and the ordinal cross-tabulation
# of Y by the predicted level come from tools/reference/serial_ordinal.py (same
# data; its nominal Y 3 has two best partitions of one chi-square).
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60
count() {
  local n
  n=$(grep -cxF -- "$2" "$1" 2>/dev/null)
  [ "$n" -eq "$3" ] || fail "$1: \"$2\" $n times, expected $3"
}

paste -d, <(printf '%s\n' y 1 1 1 1 2 2 2 2 3 3 3 3 4 4 4 4) \
  <(printf '%s\n' u 0 0 1 0 1 1 1 0 1 1 1 1 1 1 0 1) \
  <(printf '%s\n' v 0 0 0 1 0 1 0 0 1 1 0 1 1 1 1 1) \
  <(printf '%s\n' w 0 1 0 0 0 0 1 0 0 1 0 1 1 1 1 0) \
  <(printf '%s\n' z 1 0 1 0 1 0 0 1 0 1 1 0 1 0 0 1) >"$work/lev.csv"
for name in ord nom; do
  printf '%s\n' "Ordered levels" "*" "y i 1 2 3" "u b 1" "v b 1" "w b 1" "z b 1" "*" "free comma" "lev.csv" \
    >"$work/$name.mrc"
done

# script NAME FRAGMENT: open NAME.mrc, fragment y as FRAGMENT, and search each Y.
script() {
  cat <<SCRIPT
dismiss
menu File > Open
file $work/$1.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = y
  press OK
answer no
dialog 148
  set $2 Fragment = on
  press OK
dismiss
$(settings_block criterion=Chi-square beta=automatic gamma=0 iterative=off size=1 upto=on both=on top=4)
menu Search > Go!
dismiss
click 15 20 8
click 15 20 8
click 15 20 8
SCRIPT
}

script ord Ordinal >"$work/ord.txt"
run_program ord 0 "$meru"
log="$work/ORD.LOG"
count "$log" " # Partitions generated 4" 3
has "$log" "   A= ( u=1 )"
has "$log" "                Chi-sq statistic=    4.75 (P= 0.02927)"
has "$log" "   A= ( v=1 & u=1 )"
has "$log" "                Chi-sq statistic=    6.35 (P= 0.01174)"
has "$log" "   A= ( z=1 & v=1 & u=1 )"
has "$log" "                Chi-sq statistic=    3.42 (P= 0.06446)"
for l in "Predictor of y =2" "      ( +Y1= 1 & +Y2= 0 )" "Predictor of y =3" "      ( +Y2= 1 & +Y3= 0 )"; do
  has "$log" "$l"
done
[ "$(sed -n '/^ Cross-tab of rows y by columns ^y/,/^   Total/p' "$log" | tail -5 | tr -s ' ' | tr '\n' '|')" = \
  " 1 3 1 0 0 4| 2 1 2 1 0 4| 3 0 1 2 1 4| 4 1 0 1 2 4| Total 5 4 4 3 16|" ] ||
  fail "the cross-tab of y by ^y: $(sed -n '/^ Cross-tab of rows y/,/^   Total/p' "$log")"
has "$log" " Misclassification error= 43.75%"

script nom Nominal >"$work/nom.txt"
run_program nom 0 "$meru"
log="$work/NOM.LOG"
count "$log" " # Partitions generated 4" 3
has "$log" "   A= ( u=0 )"
has "$log" "                Chi-sq statistic=    4.75 (P= 0.02927)"
has "$log" "   A= ( v=0 & u=1 )"
has "$log" "                Chi-sq statistic=    1.78 (P= 0.18242)"
has "$log" "                Chi-sq statistic=    0.14 (P= 0.71153)"
for l in "Predictor of y =2" "      ( +Y2= 1 )" "Predictor of y =4" "   A= ( +Y1= 0 & +Y2= 0 & +Y3= 0 )"; do
  has "$log" "$l"
done

finish "serial: all passed"
