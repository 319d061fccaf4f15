#!/usr/bin/env bash
# Scripted runs of the Rank plots on birthwt (low is the first variable, so the
# default Y): the ROC curve of lwt with Diag and Esc, QROC of lwt, effectiveness
# v. cuts of lwt, and the attribute rank plot with a ban and Esc.
# lwt's cuts 110, 130 and 150 against low, each taken as "lwt > cut", give the
# operating points (FPR, sensitivity) (102/130, 34/59), (52/130, 14/59),
# (29/130, 7/59): area 0.3709257, Hanley-McNeil SE 0.04211442 (R: wilcox.test
# on the number of cuts passed; the complement gives 0.6290743 and 0.04498105).
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=60
export MERU_PREFS="$work/meru.prf"
shots="${MERU_E2E_SHOTS:-$work}"

run() { run_program "$1" "$2" "$meru"; }

cp "$src/examples/birthwt.mrc" "$src/examples/birthwt.csv" "$work/"
log="$work/BIRTHWT.LOG"
open="dismiss
menu File > Open
file $work/birthwt.mrc
dismiss
menu Y > Ok  low
answer no
dismiss"

cat >"$work/roc.txt" <<SCRIPT
$open
menu Rank > ROC curves
dialog ROC: select variable
  set 1004 = lwt
  press OK
dismiss
click 25 218 346
shot 25 $shots/rank_roc_lwt.png
click 25 100 5
click 25 100 5
click 25 10 5
SCRIPT
run roc 0
has "$log" " Cut of lwt               Sensitivity Specificity"
# Twice: the first drawing and the Diag redraw; the second Diag draws it again.
[ "$(grep -cxF "           AUC% (SE%)  37.1( 4.21)" "$log")" = 3 ] || fail "roc: AUC line not logged three times"
[ "$(grep -c "^ >1[135]0   " "$log")" = 9 ] || fail "roc: cut lines"
[ "$(png_size "$shots/rank_roc_lwt.png")" = "600x520" ] || fail "roc: picture size"


cat >"$work/others.txt" <<SCRIPT
$open
menu Rank > QROC curves
dismiss
dialog QROC: Select variable
  set 1004 = lwt
  press OK
dialog QROC: Select variable
  press Cancel
menu Rank > Effectiveness v Cuts plot
dialog 399
  set 1004 = lwt
  press OK
shot 21 $shots/rank_effcuts_lwt.png
dialog 399
  press Cancel
menu Rank > Attribute Rank Plot
shot 12 $shots/rank_attributes.png
click 12 10 5
SCRIPT
run others 0
grep -qxF "       3 lwt>110             best over  3 cuts  0.991780E-02 0.29799E-02 **     189" "$log" ||
  fail "others: lwt's row of the ranking table"

# low coded 0/100 is a binary Y as well: the same curve and area.
awk -F, 'BEGIN { OFS = "," } NR > 1 && $1 == 1 { $1 = 100 } { print }' "$src/examples/birthwt.csv" >"$work/birthwt.csv"
cat >"$work/hundred.txt" <<SCRIPT
$open
menu Rank > ROC curves
dialog ROC: select variable
  set 1004 = lwt
  press OK
dismiss
click 25 10 5
SCRIPT
run hundred 0
has "$log" "           AUC% (SE%)  37.1( 4.21)"

# Acceptance pictures. pima with diabetes moved first (the default Y): the ROC
# curves of glu and bmi superimposed, each with its AUC line beside the plot.
awk '/^diabetes /{next} {print} /^\*$/ && !done {print "diabetes b 1"; done=1}' "$src/examples/pima.mrc" >"$work/pima.mrc"
awk -F, 'BEGIN { OFS = "," } { print $9, $1, $2, $3, $4, $5, $6, $7, $8 }' "$src/examples/pima_mass.csv" >"$work/pima_mass.csv"
cat >"$work/pima.txt" <<SCRIPT
dismiss
menu File > Open
file $work/pima.mrc
dismiss
menu Y > Ok  diabetes
answer no
dismiss
menu Rank > ROC curves
dialog ROC: select variable
  set 1004 = glu
  press OK
dismiss
click 25 400 5
click 25 60 5
dialog ROC: select variable
  set 1004 = bmi
  set Superimpose = on
  press OK
dismiss
click 25 400 5
shot 25 $shots/rank_roc_pima_glu_bmi.png
click 25 10 5
SCRIPT
run pima 0
[ "$(grep -c "AUC% (SE%)" "$work/PIMA.LOG")" = 2 ] || fail "pima: two AUC lines"
# bmi's cuts 25, 30, 35 against diabetes: the Mann-Whitney statistic of the number
# of cuts passed over 355 controls and 177 cases is 0.6580648, Hanley-McNeil SE
# 0.0258323 (worked out apart from the program, on the same file).
has "$work/PIMA.LOG" "           AUC% (SE%)  65.8( 2.58)"

# votes84 with repub first: the attribute rank plot with its P-values.
cp "$src/examples/votes84.mrc" "$work/"
awk -F, 'BEGIN { OFS = "," } { print $17, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16 }' \
  "$src/examples/votes84.csv" >"$work/votes84.csv"
cat >"$work/votes.txt" <<SCRIPT
dismiss
menu File > Open
file $work/votes84.mrc
dismiss
menu Y > Ok  repub
answer no
dismiss
menu Rank > Attribute Rank Plot
click 12 60 5
shot 12 $shots/rank_attributes_votes84.png
click 12 10 5
SCRIPT
run votes 0
grep -q "^ Rank   Attribute" "$work/VOTES84.LOG" || fail "votes: no ranking table"

# bcw, Y malig: P-values below 1e-99 keep their exponent letter (the leading zero
# gives way). Within MSE's P is the F test on 1 and 697 df (R: pf(F, 1, 697,
# lower = FALSE)): usize>2 2.079807e-187, ushape>2 1.216735e-166, chromat>3
# 2.917515e-151. Pictures: the plot's help, and three QROC curves superimposed.
cp "$src/examples/bcw.mrc" "$src/examples/bcw_orig.csv" "$work/"
cat >"$work/bcw.txt" <<SCRIPT
$(open_with_y bcw.mrc malig)
menu Rank > Attribute Rank Plot
click 12 340 5
shot frame $shots/rank_attributes_help.png
answer ok
click 12 10 5
menu Rank > QROC curves
dismiss
dialog QROC: Select variable
  set Superimpose = on
  set 1004 = usize
  press OK
dialog QROC: Select variable
  set 1004 = ushape
  press OK
dialog QROC: Select variable
  set 1004 = chromat
  press OK
shot 26 $shots/rank_qroc_bcw_superimposed.png
dialog QROC: Select variable
  press Cancel
SCRIPT
run bcw 0
for row in "       1 usize>2             best over  3 cuts  0.159471E+00 .20798E-186 ***    699" \
  "       2 ushape>2            best over  3 cuts  0.149707E+00 .12167E-165 ***    699" \
  "       4 chromat>3           best over  3 cuts  0.141563E+00 .29175E-150 ***    699"; do
  has "$work/BCW.LOG" "$row"
done
[ "$(png_size "$shots/rank_qroc_bcw_superimposed.png")" = "600x520" ] || fail "bcw: QROC picture size"

finish "rankplots: all passed"
