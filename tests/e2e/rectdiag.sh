#!/usr/bin/env bash
# Scripted run of Process > Rectangle diagrams on lung (Y time) with the manual
# partition (-7)(8): not male, ph_ecog > 0. The mosaic's cells are R's
# table(sex == 2, ph.ecog >= 1): 37, 27, 101, 63, so every fitted area equals its
# count and the fit report says E 0 and Fit P 1. A picture of the mosaic, 3D, a
# click that draws the block view, its picture, Esc, Esc.
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
click 16 55 5
click 16 300 300
shot 16 $shots/srdwin_lung_process_3d.png
click 16 10 5
click 16 10 5
SCRIPT
run_program lung 0 "$meru"
log="$work/LUNG.LOG"
has "$log" "         37.0      37.000     0.000          0.0       **"
has "$log" "         27.0      27.000     0.000          0.0       1*"
has "$log" "        101.0     101.000     0.000          0.0       *2"
has "$log" "         63.0      63.000     0.000          0.0       12"
has "$log" "        228.0     228.000     0.000"
[ "$("$probe" "$shots/srdwin_lung_process.png" size)" = "900x640" ] || fail "no picture of the mosaic"
# Inside cell 2 (ECOG > 0, male): colour 2; cell 0 white; cell 1 (female, ECOG 0) colour 1.
for xyc in "239 278 0x00c000" "239 100 0xffffff" "420 100 0x0000ff"; do
  set -- $xyc
  [ "$("$probe" "$shots/srdwin_lung_process.png" $1 $2)" = "$3" ] || fail "mosaic ($1, $2) is not $3"
done
[ "$("$probe" "$shots/srdwin_lung_process_3d.png" 600 600)" = "0xeeefee" ] || fail "no block view behind the mosaic"

finish "rectdiag: all passed"
