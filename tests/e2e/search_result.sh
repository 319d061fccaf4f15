#!/usr/bin/env bash
# Scripted runs to the end of a search: the hull window, the winner and its
# complement in the log, Beta+, a log-rank search, and the hull drawn while
# searching.
# 1. votes84 with repub first (Chi-square, non-iterative, Top m 16, "Up to 2 2",
#    both sides), then Esc on the hull window. tools/reference/hull_reference.py
#    on the reordered file gives per complexity the candidates and the largest G
#    (c 1: 14, 361.418; c 2: 182, 350.224; c 3: 2184, 373.817; c 5: 6006,
#    345.151), the hull 1 3 and beta 5 % of 361.418 = 18.0709; the optimum
#    c = 1 with 361.418 - 18.0709 = 343.347, the attribute v04 on both sides.
# 2. The same run with one Beta+ click and a click on a hull point before Esc:
#    the red point moves, and the new-beta note.
# 3. lung with time first, Log-rank with dead=0 censored, non-iterative, size 1:
#    the winner ph_ecog (cut 1) with R's survdiff(Surv(time, dead) ~ ph_ecog > 1)
#    chi-square over the complete cases, 15.96409947; time and dead are not in
#    the attribute set.
# 4. Run 1 with "Display graphics while searching": the hull window's picture is
#    not blank and the log is that of run 1 but for its time lines and the
#    option's own line in the settings listing.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
shots="${MERU_E2E_SHOTS:-$work}"
mkdir -p "$shots"
untimed() { grep -vE '^(%time| Date| Display grahics in search|NOTE: display graphics)' "$1"; }
# near A B: A and B agree to 4 significant digits (G is kept in single precision).
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; if (d < 0) d = -d; m = b < 0 ? -b : b; exit !(d <= 5e-5 * m) }'; }
# after LOG TEXT: the value written after TEXT on its line.
after() { grep -F -- "$2" "$1" | head -1 | sed "s/.*$(printf '%s' "$2" | sed 's/[][\.*^$/]/\\&/g')//"; }

cp "$src/examples/votes84.mrc" "$work/"
awk -F, 'BEGIN { OFS = "," } { print $17, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16 }' \
  "$src/examples/votes84.csv" >"$work/votes84.csv"

votes() { # DISPLAY-GRAPHICS, then the hull window's actions
  cat <<SCRIPT
dismiss
menu File > Open
file $work/votes84.mrc
dismiss
menu Y > Ok  repub
answer no
dismiss
$(settings_block detailed=on graphics="$1")
$([ "$1" = on ] && echo dismiss)
$(settings_block criterion=Chi-square beta=automatic gamma=0 iterative=off size="2 2" upto=on both=on float=1 top=16)
menu Search > Go!
dismiss
SCRIPT
}

# 1. The reference run, Esc on the hull window.
{ votes off; echo "click 15 20 8"; } >"$work/votes.txt"
run_program votes 0 "$meru"
log="$work/VOTES84.LOG"
cp "$log" "$work/votes.log"
has "$log" " # Partitions generated 8386"
has "$log" " Complexities generated"
for want in "1 14 361.418" "2 182 350.224" "3 2184 373.817" "5 6006 345.151"; do
  set -- $want
  row=$(grep -A6 -xF " Complexities generated" "$log" | awk -v c="$1" '$1 == c && NF == 5 { print $2, $3 }')
  [ "${row% *}" = "$2" ] || fail "complexity $1: $row generated, expected $2"
  near "${row#* }" "$3" || fail "complexity $1: largest G ${row#* }, expected $3"
done
beta=$(after "$log" " Penalty parameter beta automatically set to ")
near "$beta" 18.0709 || fail "automatic beta $beta, expected 18.0709"
best=$(after "$log" " Best at complexity ")
[ "${best%%;*}" = "  1" ] || fail "best at complexity: $best"
near "${best#*G_beta=}" 343.347 || fail "G_beta: $best"
names() { grep -A2 -xF "$2" "$1" | tail -n +2 | grep -oE 'v[0-9][0-9]' | sort -u | tr '\n' ' '; }
[ "$(names "$log" "Best of search")" = "v04 " ] || fail "best of search: $(names "$log" "Best of search")"
[ "$(names "$log" "Complement:")" = "v04 " ] || fail "complement: $(names "$log" "Complement:")"
grep -qF "NOTE: new penalty parameter" "$work/votes.err" && fail "a beta note without Beta+"

# 2. Beta+ once, a click on the hull point of complexity 3 (window pixel
#    (187, 206): x 75 + 3 x 375 / 10, y 336 - 373.817 x 252 / 722.836), then
#    Esc: the red point moved there from complexity 1 (x 75 + 37), and the note.
{ votes off; echo "click 15 60 8"; echo "click 15 187 206"; echo "shot 15 $work/clicked.png"; echo "click 15 20 8"
  echo "dismiss"; } >"$work/beta.txt"
rm -f "$log"
run_program beta 0 "$meru"
expect_line beta "NOTE: new penalty parameter beta = "
expect_line beta " Re-do Search for new optimal"
[ "$("$probe" "$work/clicked.png" 186 207)" = "0x0000ff" ] || fail "the clicked hull point is not red"
[ "$("$probe" "$work/clicked.png" 112 210)" = "0x000000" ] || fail "the first red point is still red"

# 3. lung, log-rank, size 1.
awk -F, -v OFS=, '{t = $2; $2 = $1; $1 = t; print}' "$src/examples/lung.csv" >"$work/lung.csv"
sed -e 's/^inst mean$/time median/;t' -e 's/^time median$/inst mean/' "$src/examples/lung.mrc" >"$work/lung.mrc"
cat >"$work/lung.txt" <<SCRIPT
dismiss
menu File > Open
file $work/lung.mrc
dismiss
menu Y > Ok  time
answer no
dismiss
$(settings_block criterion=Log-rank beta=automatic)
dialog Select attribute
  set 1007 = " dead=0"
  press OK
dismiss
$(settings_block iterative=off size=1 upto=off)
menu Search > Go!
dismiss
click 15 20 8
SCRIPT
run_program lung 0 "$meru"
llog="$work/LUNG.LOG"
set_line=$(grep -A1 -F " Current positive attribute set of" "$llog" | tail -1)
case " $set_line " in *" time"* | *" dead"*) fail "time or dead in the attribute set: $set_line" ;; esac
[ "$(grep -A1 -xF "Best of search" "$llog" | tail -1 | tr -d ' ')" = "A-=(ph_ecog>1)" ] ||
  fail "lung winner: $(grep -A1 -xF "Best of search" "$llog" | tail -1)"
g=$(grep -A3 -xF " Complexities generated" "$llog" | awk '$1 == 1 && NF == 5 { print $3 }')
near "$g" 15.96409947 || fail "log-rank G $g, expected 15.96409947"

# 4. Display graphics on: the same log, and the hull window's picture.
{ votes on; echo "click 15 20 8"; echo "shot 15 $shots/search_hull.png"; } >"$work/shown.txt"
rm -f "$log"
run_program shown 0 "$meru"
cmp -s <(untimed "$work/votes.log") <(untimed "$log") || {
  fail "display graphics: the log differs"
  diff <(untimed "$work/votes.log") <(untimed "$log") | head -20
}
[ "$("$probe" "$shots/search_hull.png" size)" = "500x420" ] || fail "search_hull.png is not the 500x420 search window"
# The axes' frame 10 pixels outside the data area (x from 15 % of the width, y
# up to 80 % of the height) and the Esc button's face.
for xyc in "65 200 0x000000" "200 346 0x000000" "66 200 0xffffff" "20 8 0xbbbbbb"; do
  set -- $xyc
  [ "$("$probe" "$shots/search_hull.png" $1 $2)" = "$3" ] || fail "search_hull.png ($1, $2) is not $3"
done

finish "search_result: all passed"
