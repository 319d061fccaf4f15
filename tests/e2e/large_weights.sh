#!/usr/bin/env bash
# Frequency weights near 2^31. File > New: with T = 1500000009, y's mean 1 - 5/T
# and x's 2 - 1/T round in single precision onto a value; each cut splits as the
# exact mean (y > cut: weight 1500000004) and z's 1/3 keeps its short form. Then
# 4194305 rows of weight 2147483647 (the fewest passing 2^53), y = i mod 2 and
# x = floor(i/2) mod 2: the Y summary's n and the table's totals (A = x > 0 in
# 2097152 rows) are whole.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"

printf 'y,x,z,_FREQ_\n0,1,0,3\n1,2,0,1000000001\n0,3,0,2\n1,2,1,500000003\n' >"$work/mean.csv"
{ echo y,x,_FREQ_; awk 'BEGIN { for (i = 0; i < 4194305; i++) print i % 2 "," int(i / 2) % 2 ",2147483647" }'; } \
  >"$work/big.csv"
printf 'Big\n*\ny i 0\nx i 0\n*\nfree comma\nbig.csv\n' >"$work/big.mrc"
{ printf '%s\n' dismiss "menu File > New" "file $work/mean.csv" "dialog FYI:" "  press OK" "dialog MERU" "  press OK" \
    "answer no" dismiss "menu File > Open" "file $work/big.mrc" dismiss "menu Y > Select Y" \
    "dialog Select  Y variable(s)" "  set 1000 = y" "  press OK" "answer no" dismiss "menu Process > Statistics" \
    "dialog Select partition" "  set Manual = on" "  press OK" "dialog Manual partition" "  set 1003 = (3)" \
    "  press OK" dismiss "key 57 Esc"; } >"$work/weights.txt"
run_program weights 0 "$meru"
for cut in "y        0.99999994" "x        1.9999999" "z        0.33333334"; do has "$work/mean.mrc" "$cut"; done
has "$work/MEAN.LOG" "2   2  y >0.99999994             1500000004  y <=0.99999994                 5                0"
has "$work/BIG.LOG" " New Y=y Mean (SD n #values #miss)= 0.500000 ( 0.500000 9007201398030335 2 0)"
has "$work/BIG.LOG" \
  "    |  Total          |      4503601772756991 ( 50.0%)    4503599625273344 ( 50.0%) |   9007201398030335 (100.0%)|"
finish "large_weights: all passed"
