#!/usr/bin/env bash
# A serial analysis searches each Y as if it were the only one. For each case of
# the table (control file, Ys in file order, settings) the serial analysis runs
# once, and each Y alone in a fresh program on the control file without the
# other Ys' attribute lines; each Y's block of the serial log (from its ranking
# to its statistics and F-test) must equal its block alone: the notes, the
# directions swapped, the positive attribute set, the partitions generated, beta,
# the best partition and its statistics. The generated file's Ys are binary and
# continuous functions of a..e with noise; its d line has "do not know" cuts,
# which keep whatever direction they find.
# After the serial analyses each Process item that takes the current partition
# works on the partition found for the Y it names: its statistics (Y and
# resubstitution error) are those of that Y's search, Random counts that Y's
# partitions, Lists takes the Y under analysis; in a parallel analysis Lists asks
# for no Y. The Search Summary of a bootstrap series labels each row with its Y
# and counts the unique partitions of each Y.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=120
cp "$src"/examples/birthwt.* "$work/"
awk 'BEGIN { srand(11); print "_ID_,a,b,c,d,e,y1,y2,y3,y4,y5"
  for (i = 1; i <= 240; i++) {
    a = int(10 * rand()); b = rand() < 0.4; c = 1 + int(3 * rand()); d = 10 * rand(); e = int(8 * rand())
    y1 = (a > 5 && b) != (rand() < 0.1); y2 = 2 * d + 3 * (c == 2) + 2 * rand()
    y3 = (e <= 2 || c == 3) != (rand() < 0.15); y4 = int(10 * a + 5 * e * rand()); y5 = (d > 6) != (rand() < 0.1)
    printf "o%d,%d,%d,%d,%.2f,%d,%d,%.2f,%d,%d,%d\n", i, a, b, c, d, e, y1, y2, y3, y4, y5 } }' >"$work/gen.csv"
printf '%s\n' "Five Ys" "*" "a i 3 6" "b b 1" "c n123 1=p 2=q 3=r" "d cv4" "e i 2 5" "y1 b 1" "y2 cv3" "y3 b 1" \
  "y4 i 30 60" "y5 b 1" "*" "free comma" "gen.csv" >"$work/gen.mrc"

# serial FILE YS: open FILE.mrc and choose the Ys for a serial analysis.
serial() {
  printf '%s\n' dismiss "menu File > Open" "file $work/$1.mrc" dismiss "menu Y > Select Y" \
    "dialog Select  Y variable(s)" "  set 1000 = $2" "  press OK" "answer yes" "answer no" dismiss
}
# go YS SETTINGS...: the settings, Search:Go! and a click on each Y's hull.
go() {
  local ys=$1
  shift
  settings_block turbo=off iterative=off "$@"
  echo "menu Search > Go!"
  for _ in ${ys//,/ }; do printf 'dismiss\nclick 15 20 8\n'; done
}
# blocks LOG: each search's block on one line, from its ranking to its F-test.
blocks() {
  awk '/^%Search:Go!/ { on = 1 } !on { next } /^%Process/ { exit } /^%Search Summary/ { skip = 1 }
    /F-test of the split/ { f[++nf] = $0; skip = 0; next } skip || /^%|^ Criteria:|; gamma=|^ Beta on/ { next }
    { b[nb + 1] = b[nb + 1] $0 "|" } /^ Whole sample/ { nb++ } END { for (i = 1; i <= nb; i++) print b[i] f[i] }' "$1"
}
# statistics LOG: "Y error" of every search and Process item in order, up to
# the next Y selection.
statistics() { awk '/^%Y:Select/ && n++ { exit } /^Y variable is/ { y = $4 } /^ Resubstitution error is/ { print y, $4 }' "$1"; }
# process ITEM Y: a Process item on the current partition, for Y.
process() { printf '%s\n' "menu Process > $1" "dialog Select partition" "  press OK" "dialog *" "  set 1004 = $2" \
  "  press OK"; }
bw3_items=$(
  process Statistics low && printf '%s\n' dismiss "key 57 Esc"
  process "Distribution A v. A-" bwt && echo dismiss
  process "Rectangle diagrams" smoke && printf '%s\n' "dialog Rectangle diagrams" "  press OK" dismiss "click 16 10 5"
  process "Create added attribute" bwt && printf '%s\n' "answer no" dismiss "menu Process > Random" dismiss "dialog *"
  printf '%s\n' "  set 1004 = smoke" "  press OK" "dialog Random partitions" "  set 1003 = 100" \
    "  set Mimic split distribution = on" "  press OK" dismiss
)
# Lists after the serial analysis, then in a parallel one on a manual partition.
gen5_items=$(
  printf '%s\n' "menu Process > Lists" "dialog Select partition" "  press OK" dismiss "key 57 Esc" "menu Y > Select Y" \
    "dialog Select  Y variable(s)" "  set 1000 = y1, y3" "  press OK" "answer no" dismiss "dialog Criteria" "  press OK" "menu Process > Lists" \
    "dialog Select partition" "  set Manual = on" "  press OK" "dialog Manual partition" "  set 1003 = (2)" \
    "  press OK" dismiss "key 57 Esc"
)
# name|control file|Ys|settings
cases=("bw2|birthwt|low, smoke|criterion=Entropy" "bw3|birthwt|low, smoke, bwt|" "gen5|gen|y1, y2, y3, y4, y5|")
for case in "${cases[@]}"; do
  IFS='|' read -r name file ys settings <<<"$case"
  items=${name}_items
  log="$work/${file^^}.LOG"
  { serial "$file" "$ys" && go "$ys" $settings && printf '%s\n' "${!items-}"; } >"$work/$name.txt"
  run_program "$name" 0 "$meru"
  mapfile -t serial < <(blocks "$log")
  mapfile -t found < <(statistics "$log")
  cp "$log" "$work/$name.log"
  k=0
  for y in ${ys//,/ }; do
    others=$(for o in ${ys//,/ }; do [ "$o" = "$y" ] || printf '%s|' "$o"; done)
    grep -vE "^(${others%|}) " "$work/$file.mrc" >"$work/alone.mrc"
    { open_with_y alone.mrc "$y" && go "$y" $settings; } >"$work/alone_$y.txt"
    run_program "alone_$y" 0 "$meru"
    alone=$(blocks "$work/ALONE.LOG")
    [ "${serial[k]}" = "$alone" ] || fail "$name: $y differs from $y alone:"$'\n'"${serial[k]//|/$'\n'}"$'\n'"alone:"$'\n'"${alone//|/$'\n'}"
    k=$((k + 1))
  done
  # Each Process item's statistics are those its Y's search gave.
  for s in "${found[@]:k}"; do
    printf '%s\n' "${found[@]:0:k}" | grep -qxF -- "$s" || fail "$name: Process item's \"$s\" is no search's"
  done
done
# Random compares smoke's G, as Rectangle diagrams shows it, with its own search's 469.
log="$work/bw3.log"
[ "$(statistics "$log" | wc -l)" -eq 6 ] || fail "bw3: not three Process items' statistics"
has "$log" "2           Within MSE          =     0.037453"
has "$log" " # Partitions on last search=  469 G_test=0.37453E-01"
# Lists: y1 searched, listed after the serial analysis and in the parallel one.
[ "$(grep -c '^Y variable is y1' "$work/gen5.log")" -eq 3 ] || fail "gen5: Lists not on y1 twice"

# A bootstrap series of low and smoke: twenty rows, each with its Y.
{
  serial birthwt "low, smoke"
  settings_block iterative=off size=1 upto=on
  printf '%s\n' "menu Edit > Bootstrap sample" dismiss "menu Search > Go!"
  for _ in $(seq 20); do printf 'dismiss\nclick 15 20 8\n'; done
} >"$work/boot.txt"
run_program boot 0 "$meru"
log="$work/BIRTHWT.LOG"
[ "$(sed -n '/^%Search Summary/,$p' "$log" | grep -c '^Y: ')" -eq 22 ] || fail "boot: not every row has its Y"
sed -n '/^%Search Summary/,$p' "$log" | grep -A1 '^Y: ' | tail -4 | grep -q "^ # of unique optimal partitions=" ||
  fail "boot: no count of unique partitions per Y"

finish "serial_ys: all passed"
