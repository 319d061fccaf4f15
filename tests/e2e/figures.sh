#!/usr/bin/env bash
# Figures printed beside a table agree with that table, checked block by block:
# Within MSE is nA- nA (pA - pA-)^2 / N^2 of its 2x2 table, the cells hold the
# table's observations, Var(O) is a number only where QI(1) and QI(0) are both
# positive. Runs: a nominal analysis (Within MSE, full reduction, "Up to 3 2",
# Top m 6) of 260 generated observations, u missing in some, whose Y=3 winner
# holds u (its table: A- 237 with 3 ones, A 19 with 6); kyphosis split
# (Repeatable), whose test sample has QI(1) -0.120 and QI(0) -0.273 from the
# table 19 3 / 6 0; lung, Y meal_cal (42 missing), Process > Distribution.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf" MERU_SCRIPT_TIMEOUT=120
cp "$2"/examples/kyphosis.* "$2"/examples/lung.* "$work/"
awk 'function r() { x = x * 16807 % 2147483647; return x / 2147483647 }
  BEGIN { x = 72; print "y,u,v,w,q,a"; for (i = 1; i <= 260; i++) {
    u = int(11 * r()); v = r() < .5; w = r() < .5; q = r() < .5; a = r() < .5; y = 4
    if ((v == 0 || u <= 2) && r() < .85) y = 1; else if (q == 1 && u > 4 && r() < .85) y = 2
    else if (w == 1 && u > 6 && r() < .6) y = 3; else if (r() < .3) y = 1 + int(4 * r())
    printf "%d,%s,%d,%d,%d,%d\n", y, r() < .05 ? "." : u, v, w, q, a } }' >"$work/nom.csv"
printf '%s\n' "Levels" "*" "y i 1 2 3" "u i 2 4 6" "v b 1" "w b 1" "q b 1" "a b 1" "*" "free comma" "nom.csv" \
  >"$work/nom.mrc"
{ printf '%s\n' dismiss "menu File > Open" "file $work/nom.mrc" dismiss "menu Y > Select Y" \
  "dialog Select  Y variable(s)" "  set 1000 = y" "  press OK" "answer no" "dialog 148" "  set Nominal Fragment = on" \
  "  press OK" dismiss
  settings_block fullred=on criterion="Within MSE" iterative=off size="3 2" upto=on both=on top=6
  printf '%s\n' "menu Search > Go!" dismiss "click 15 20 8" "click 15 20 8" "click 15 20 8" "click 19 22 5" \
    "menu Process > Statistics" "dialog Select partition" "  set Current = on" "  press OK" dismiss "dialog *" \
    "  set 1004 = {y =3}" "  press OK" "key 57 Esc"; } >"$work/nom.txt"
{ open_with_y kyphosis.mrc kyphosis && printf '%s\n' "menu Edit > Split sample" "dialog Training sample" \
  "  set Repeatable random sample = on" "  press OK" "answer ok" "menu Search > Go!" dismiss "click 15 20 8" \
  "click 15 20 8"; } >"$work/kyphosis.txt"
{ open_with_y lung.mrc meal_cal && settings_block criterion="Within MSE" iterative=off size="2 1" upto=on top=5 &&
  printf '%s\n' "menu Search > Go!" dismiss "click 15 20 8" "menu Process > Distribution A v. A-" \
    "dialog Select partition" "  set Optimal Complexity penalised = on" "  press OK" dismiss; } >"$work/lung.txt"
for run in nom kyphosis lung; do
  run_program "$run" 0 "$meru"
  awk -v run="$run" 'function bad(what) { print "FAIL: " run ": " what; failed = 1 }
    /^Y variable is|^%/ { tab = 0 } /^ Internal check/ { bad($0) }
    /^    \|   1 / { split($0, c, "|"); split(c[3], f, " "); m1 = f[1]; a1 = f[4] }
    /^    \|  Total/ { split($0, c, "|"); split(c[3], f, " "); m = f[1]; a = f[4]; tab = 1; cells = 0 }
    /QI\(1\)=/ { q1 = substr($0, index($0, "=") + 1, 6) + 0 } /QI\(0\)=/ { q0 = substr($0, index($0, "=") + 1, 6) + 0 }
    /Var\(O\)=/ && (q1 > 0 && q0 > 0) == /not defined/ { bad($0 " beside QI(1) " q1 ", QI(0) " q0) }
    /Within MSE  *=/ && tab && $NF != sprintf("%.6f", m * a * (a1 / a - m1 / m) ^ 2 / (m + a) ^ 2) { bad($0) }
    tab && /^ Cell id/ { incell = 1 } incell && substr($0, 1, 7) ~ /[0-9]/ { cells += $2 }
    incell && /^Sample size/ { incell = 0; if (cells != m + a) bad("cells hold " cells " of " m + a) }
    END { exit failed }' "$work/${run^^}.LOG" || failures=$((failures + 1))
done
has "$work/NOM.LOG" "2           Within MSE          =     0.006314"
has "$work/NOM.LOG" "      0             237       0.0127   0 0 0"
has "$work/KYPHOSIS.LOG" "1          Quality index  Var(O)=  not defined  [O=log QI(1)/QI(0)]"
has "$work/LUNG.LOG" " Creating Relative Frequencies of unique values"
finish "figures: all passed"
