#!/usr/bin/env bash
# Scripted run of Process > Rectangle diagrams on lung (Y time) with the manual
# partition (-7)(8): not male, ph_ecog > 0. The cells are R's
# table(sex == 2, ph.ecog >= 1): 36, 27, 101, 63 (the man without ph_ecog is
# in none, as in the partition's own table); two rectangles fit them
# exactly, so the fit report says E 0 and Fit P 1. Pictures of the fitted
# diagram, of its block view and of the mosaic (Tiles); Movie in the block view
# stopped by a click on Esc; Save and Load of LUNG.srd next to the log. The
# close box only minimises the window: the diagram waits on for its buttons.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60
shots="${MERU_E2E_SHOTS:-$work}"

has() {
  grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""
}

cp "$src"/examples/lung.* "$work/"

cat > "$work/lung.txt" <<SCRIPT
dismiss
menu File > Open
file $work/lung.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = time
  press OK
answer no
answer ok
menu Process > Rectangle diagrams
dialog Select partition
  set Manual = on
  press OK
dialog Manual partition
  set 1003 = (-7)(8)
  press OK
dialog Rectangle diagrams
  press OK
shot 16 $shots/srdwin_lung_process.png
close 16
click 16 55 5
click 16 300 300
shot 16 $shots/srdwin_lung_process_3d.png
click 16 60 5
click 16 10 5
click 16 235 5
shot 16 $shots/srdwin_lung_process_mosaic.png
click 16 370 5
click 16 415 5
click 16 10 5
SCRIPT
run_program lung 0 "$meru"
log="$work/LUNG.LOG"
has "$log" "         36.0      36.000     0.000          0.0       **"
has "$log" "         27.0      27.000     0.000          0.0       1*"
has "$log" "        101.0     101.000     0.000          0.0       *2"
has "$log" "         63.0      63.000     0.000          0.0       12"
has "$log" "        227.0     227.000     0.000"
has "$log" " Rectangle diagram saved to $work/LUNG.srd"
has "$log" " Rectangle diagram loaded from $work/LUNG.srd"
has "$work/LUNG.srd" "term 2 8"
has "$work/LUNG.srd" "rectangle 2 0.118943 0.841410 0.000000 1.000000"
[ "$("$probe" "$shots/srdwin_lung_process.png" size)" = "900x640" ] || fail "no picture of the fitted diagram"
# The fitted strips, x = 130 + 360 x: cell 1 (female, ECOG 0) up to 27/227,
# cell 3 (both) to 90/227, cell 2 (male, ECOG > 0) to 191/227, then cell 0;
# shaded by mean time 332.7, 341.6, 255.8 and 366.2 on the ramp 0xf0 (lowest)
# to 0x80 (highest); rectangle 1 outlined in colour 1, rectangle 2 in colour 2.
for xyc in "150 100 0xa2a2a2" "200 100 0x999999" "400 100 0xf0f0f0" "470 100 0x808080" \
           "131 300 0x0000ff" "173 300 0x00c000"; do
  set -- $xyc
  [ "$("$probe" "$shots/srdwin_lung_process.png" $1 $2)" = "$3" ] || fail "fitted diagram ($1, $2) is not $3"
done
[ "$("$probe" "$shots/srdwin_lung_process_3d.png" 600 600)" = "0xeeefee" ] || fail "no block view behind the diagram"
# The mosaic: inside cell 2 colour 2; cell 0 white; cell 1 colour 1.
for xyc in "239 278 0x00c000" "239 100 0xffffff" "420 100 0x0000ff"; do
  set -- $xyc
  [ "$("$probe" "$shots/srdwin_lung_process_mosaic.png" $1 $2)" = "$3" ] || fail "mosaic ($1, $2) is not $3"
done

finish "rectdiag: all passed"
