#!/usr/bin/env bash
# Scripted run of the scatter plot on bcw: Y > Scatterplot/Cross-tab with Y malig
# and X thick, Circl (frequency circles and the cross-tab in the log, chi-square
# 389.19 on 9 df as chisq.test(correct = FALSE) gives it in R), a picture of the
# window, Esc back to the dialog and Cancel. Then on birthwt, lwt against bwt with
# the Z dialog twice: Size by Z of age (a picture), then 3D rotating of age, which
# logs its line and opens the rotating plot (a click in it draws the cloud, a
# picture, Esc), then shows the dialog again, where Cancel returns to the plot.
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

cp "$src"/examples/bcw.mrc "$src"/examples/bcw_orig.csv "$src"/examples/birthwt.* "$work/"

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
for l in "%Y:scatterplot" " Scatter of malig against thick" " Correlation =  0.716" \
  " Cross-tab of rows thick by columns malig" "               0       1   Total" \
  "       1     142       3     145" "   Total     458     241     699" \
  " Chi-square with   9 df =0.3892E+03 P= 0.00000" " Misclassification error= 99.57%"; do
  has "$log" "$l"
done
[ "$(png_size "$shots/scatter_bcw_thick_malig.png")" = "600x520" ] || fail "no 600x520 picture of the window"

cat > "$work/birthwt.txt" <<SCRIPT
dismiss
menu File > Open
file $work/birthwt.mrc
dismiss
menu Y > Scatterplot/Cross-tab
dialog Scatter diagram
  set Y = bwt
  set X = lwt
  press OK
click 19 247 5
dialog Third variable Z
  set 1010 = off
  set 1011 = on
  set 9114 = age
  press OK
shot 19 $shots/scatter_lwt_bwt_size_by_age.png
click 19 247 5
dialog Third variable Z
  set 9114 = age
  press OK
click 19 300 300
shot 19 $shots/rotate3d_birthwt_age_lwt_bwt.png
click 19 20 8
dialog Third variable Z
  press Cancel
click 19 22 5
dialog Scatter diagram
  press Cancel
SCRIPT
run_program birthwt 0 "$meru"
log="$work/BIRTHWT.LOG"
has "$log" " Rotating plot for Z=age"
[ "$(grep -cxF " Scatter of bwt against lwt" "$log")" -eq 3 ] || fail "the window was not reopened after each Z dialog"
[ "$(png_size "$shots/scatter_lwt_bwt_size_by_age.png")" = "600x520" ] || fail "no picture of Size by Z"
[ "$(png_size "$shots/rotate3d_birthwt_age_lwt_bwt.png")" = "600x520" ] || fail "no picture of the rotating plot"

# The Z dialog lists the attributes of the search's attribute set: none before a
# search, then those of the two lines a search of the top 2 combined (ptl and
# bwt for low); an attribute of another line (race) is not offered.
zscript() { # the attribute to pick, or nothing to search first
  cat <<SCRIPT
dismiss
menu File > Open
file $work/birthwt.mrc
dismiss
menu Y > Ok  low
answer no
dismiss
$([ -n "${2:-}" ] && settings_block iterative=off top=2 criterion=Chi-square beta=automatic &&
  printf '%s\n' "menu Search > Go!" "dismiss" "click 15 20 8" "dismiss")
menu Y > Scatterplot/Cross-tab
dialog Scatter diagram
  set Y = bwt
  set X = lwt
  press OK
click 19 247 5
dialog Third variable Z
  set 1010 = off
  set 1009 = on
  set 9116 = $1
  press OK
click 19 22 5
dialog Scatter diagram
  press Cancel
SCRIPT
}
zscript 1 search >"$work/zset.txt"
run_program zset 0 "$meru"
has "$work/BIRTHWT.LOG" " Current positive attribute set of  m=  2 attributes is:"
zscript '"race_white"' search >"$work/zother.txt"
run_program zother 3 "$meru"
expect_line zother 'no list item "race_white"'
zscript 1 >"$work/zempty.txt"
run_program zempty 3 "$meru"
expect_line zempty 'no list item "1"'

finish "scatter: all passed"
