#!/usr/bin/env bash
# Each Y of a serial analysis logs the block (notes, directions, positive set,
# cuts, partitions, beta, winner, statistics) it logs alone, in a fresh program
# without the other Ys' lines (gen: Ys of a..e with noise; d's cuts "do not know").
# Process items take the Y named's own partition: smoke's A holds 29 of 37
# smokers, A- 45 of 152: G = p(1-p) - sum of share x p(1-p) = .037453, tested by
# Random against smoke's 469. Parallel Lists asks no Y; bootstrap rows name their Y,
# and each Y's rows of a bootstrap series (every Y of a sample ranked before its
# draw) are its rows alone. The series ends bootstrap mode, as its note says.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf" MERU_SCRIPT_TIMEOUT=120
cp "$2"/examples/birthwt.* "$work/"
awk 'BEGIN { srand(11); print "_ID_,a,b,c,d,e,y1,y2,y3,y4,y5"; for (i = 1; i <= 240; i++) {
  a = int(10 * rand()); b = rand() < .4; c = 1 + int(3 * rand()); d = 10 * rand(); e = int(8 * rand())
  printf "o%d,%d,%d,%d,%.2f,%d,%d,%.2f,%d,%d,%d\n", i, a, b, c, d, e, (a > 5 && b) != (rand() < .1),
    2 * d + 3 * (c == 2) + 2 * rand(), (e <= 2 || c == 3) != (rand() < .15), 10 * a + 5 * e * rand(),
    (d > 6) != (rand() < .1) } }' >"$work/gen.csv"
printf '%s\n' "Five Ys" "*" "a i 3 6" "b b 1" "c n123 1=p 2=q 3=r" "d cv4" "e i 2 5" "y1 b 1" "y2 cv3" "y3 b 1" \
  "y4 i 30 60" "y5 b 1" "*" "free comma" "gen.csv" >"$work/gen.mrc"

# go YS SETTINGS...: the settings, Search:Go! and a click on each Y's hull.
go() {
  settings_block turbo=off iterative=off "${@:2}" && echo "menu Search > Go!"
  for _ in ${1//,/ }; do printf 'dismiss\nclick 15 20 8\n'; done
}
# blocks LOG: each search's block on one line, from its ranking to its F-test.
blocks() {
  awk '/^%Search:Go!/ { on = 1 } !on { next } /^%Process|^%Edit/ { exit } /^%Search Summary/ { skip = 1 }
    /F-test of the split/ { f[++nf] = $0; skip = 0; next } skip || /^%|^ Criteria:|; gamma=|^ Beta on|^ Missing attributes handled/ { next }
    { b[nb + 1] = b[nb + 1] $0 "|" } /^ Whole sample/ { nb++ } END { for (i = 1; i <= nb; i++) print b[i] f[i] }' "$1"
}
# statistics LOG: "Y error" of each search and Process item up to the next Y or Edit item.
statistics() {
  awk '/^%Y:Select|^%Edit/ && n++ { exit } /^Y variable is/ { y = $4 } / Resubstitution error/ { print y, $4 }' "$1"
}
# boot_rows LOG Y: Y's rows of the bootstrap Search Summary, without their number.
boot_rows() {
  awk -v y="$2" '/ Bootstrap samples\. / { on = 1 } /^Y: / { w = $2 } on && (w == "" || w == y) && $5 ~ /%$/ && NF == 8 {
    $1 = ""; print }' "$1"
}
# boot N: a bootstrap series of N searches a sample; then the menus it leaves.
boot() { printf '%s\n' "menu Edit > Bootstrap sample" dismiss && go "$(seq -s, $((10 * $1)))" &&
  printf '%s\n' "key 57 Esc" greyed "menu Edit > Bootstrap sample"; }
process() { printf '%s\n' "menu Process > $1" "dialog Select partition" "  press OK" "dialog *" "  set 1004 = $2" \
  "  press OK"; }
declare -A items
items[bw2]=$(boot 2)
items[bw4]=$(boot 3)
items[bw3]=$(process Statistics low && printf '%s\n' dismiss "key 57 Esc" && process "Distribution A v. A-" bwt &&
  process "Rectangle diagrams" smoke && printf '%s\n' "dialog Rectangle diagrams" "  press OK" dismiss \
  "click 16 10 5" && process "Create added attribute" bwt && printf '%s\n' "answer no" "menu Process > Random" \
  dismiss "dialog *" "  set 1004 = smoke" "  press OK" "dialog Random partitions" "  set 1003 = 100" \
  "  set Mimic split distribution = on" "  press OK")
items[gen5]=$(process Lists y3 && printf '%s\n' dismiss "key 57 Esc" "menu Y > Select Y" \
  "dialog Select  Y variable(s)" "  set 1000 = y1, y3" "  press OK" "answer no" dismiss "dialog Criteria" \
  "  press OK" "menu Process > Lists" "dialog Select partition" "  set Manual = on" "  press OK" \
  "dialog Manual partition" "  set 1003 = (2)" "  press OK" dismiss "key 57 Esc")
for case in "bw2|birthwt|low, smoke|criterion=Entropy" "bw3|birthwt|low, smoke, bwt|" \
  "gen5|gen|y1, y2, y3, y4, y5|float=2" "bw4|birthwt|low, smoke, ht|criterion=Chi-square size=2 upto=on top=5"; do
  IFS='|' read -r name file ys settings <<<"$case"
  { printf '%s\n' dismiss "menu File > Open" "file $work/$file.mrc" dismiss "menu Y > Select Y" \
    "dialog Select  Y variable(s)" "  set 1000 = $ys" "  press OK" "answer yes" "answer no" dismiss &&
    go "$ys" $settings && echo "${items[$name]}"; } >"$work/$name.txt"
  run_program "$name" 0 "$meru"
  cp "$work/${file^^}.LOG" "$work/$name.log"
  mapfile -t serial < <(blocks "$work/$name.log")
  mapfile -t found < <(statistics "$work/$name.log")
  k=0
  for y in ${ys//,/ }; do
    others=$(for o in ${ys//,/ }; do [ "$o" = "$y" ] || printf '%s|' "$o"; done)
    grep -vE "^(${others%|}) " "$work/$file.mrc" >"$work/alone.mrc"
    { open_with_y alone.mrc "$y" && go "$y" $settings && [[ $name != bw[24] ]] || boot 1; } >"$work/alone.txt"
    run_program alone 0 "$meru"
    [ "${serial[k++]}" = "$(blocks "$work/ALONE.LOG")" ] || fail "$name: $y differs from $y alone"
    [ "$(boot_rows "$work/$name.log" "$y")" = "$(boot_rows "$work/ALONE.LOG" "$y")" ] || fail "$name: $y's bootstrap rows"
  done
  for s in "${found[@]:k}"; do grep -qxF -- "$s" <(printf '%s\n' "${found[@]:0:k}") || fail "$name: $s"; done
done
has "$work/bw3.log" "2           Within MSE          =     0.037453"
has "$work/bw3.log" " # Partitions on last search=  469 G_test=0.37453E-01"
[ "$(grep -c '^Y variable is y[13]' "$work/gen5.log")" -eq 4 ] || fail "gen5: Lists not on y3, then y1"
[ "$(grep -c '^Y: ' "$work/bw2.log")" -eq 24 ] || fail "bw2: not every bootstrap row and count has its Y"
grep -A1 '^Y: ' "$work/bw2.log" | tail -3 | grep -q "^ # of unique optimal partitions=" || fail "bw2: no count per Y"
[ "$(boot_rows "$work/bw4.log" ht | wc -l)" -eq 10 ] || fail "bw4: not ten rows of ht"
expect_line bw4 "After the tenth sample bootstrap mode ends by itself"
expect_line bw4 "greyed menus: none"
finish "serial_ys: all passed"
