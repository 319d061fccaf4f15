#!/usr/bin/env bash
# Scripted run of the scatter plot on bcw: Y > Scatterplot/Cross-tab with Y malig
# and X thick, Circl (frequency circles and the cross-tab in the log, chi-square
# 389.19 on 9 df as chisq.test(correct = FALSE) gives it in R), a picture of the
# window, Esc back to the dialog and Cancel.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60
shots="${MERU_E2E_SHOTS:-$work}"

has() {
  grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""
}

cp "$src"/examples/bcw.mrc "$src"/examples/bcw_orig.csv "$work/"

cat > "$work/bcw.txt" <<SCRIPT
dismiss
menu File > Open
file $work/bcw.mrc
dismiss
menu Y > Scatterplot/Cross-tab
dialog Scatter diagram
  set Y = malig
  set X = thick
  press OK
click 19 473 5
shot 19 $shots/scatter_bcw_thick_malig.png
click 19 22 5
dialog Scatter diagram
  press Cancel
SCRIPT
run_program bcw 0 "$meru"
log="$work/BCW.LOG"
for l in "%Y:scatterplot" " Scatter of thick against malig" " Correlation =  0.716" \
  " Cross-tab of rows thick by columns malig" "               0       1   Total" \
  "       1     142       3     145" "   Total     458     241     699" \
  " Chi-square with   9 df =0.3892E+03 P= 0.00000" " Misclassification error= 99.57%"; do
  has "$log" "$l"
done
[ "$(png_size "$shots/scatter_bcw_thick_malig.png")" = "600x520" ] || fail "no 600x520 picture of the window"

finish "scatter: all passed"
