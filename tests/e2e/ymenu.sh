#!/usr/bin/env bash
# Scripted runs of the Y menu: OK on birthwt's default Y (low) and Select Y of bwt
# (mean, population SD, n and distinct values from Python's csv module on the
# data file), then Ys from two cuts of age after a cancelled choice that keeps
# bwt; on lung, Select Y of ph_ecog fragmented into ordinal indicator Ys,
# whose OK item is then chosen by its exact text. The discrete-Y dialog is saved
# as a picture before and after Reverse order. A changed Y brings up the
# Criteria dialog, which these runs cancel.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60
shots="${MERU_E2E_SHOTS:-$work}"

# run NAME: runs the script NAME.txt to its end (status 0); standard error in NAME.err
run() { run_program "$1" 0 "$meru"; }

# has LOG LINE: the log holds the line; count LOG LINE N: it holds it N times
has() {
  grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""
}
count() {
  local n
  n=$(grep -cxF -- "$2" "$1" 2>/dev/null)
  [ "$n" -eq "$3" ] || fail "$1: \"$2\" $n times, expected $3"
}

cp "$src"/examples/birthwt.* "$src"/examples/lung.* "$work/"

cat > "$work/birthwt.txt" <<SCRIPT
dismiss
menu File > Open
file $work/birthwt.mrc
dismiss
menu Y > Ok  low
answer no
answer ok
menu Y > Ok : low
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = bwt
  press OK
answer no
answer ok
dialog Criteria
  press Cancel
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = age
  press OK
answer yes
dialog Make Y variable(s) from attributes
  press Cancel
menu Y > Ok : bwt
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = age
  press OK
answer yes
dialog Make Y variable(s) from attributes
  set 1000 = 1, 2
  press OK
answer yes
answer no
dialog Criteria
  press Cancel
menu Y > Ok {age}>20,{age}>25
SCRIPT
run birthwt
log="$work/BIRTHWT.LOG"
count "$log" "%Y:OK low" 1
has "$log" " New Y=low Mean (SD n #values #miss)= 0.312169 ( 0.463378 189 2 0)"
has "$log" "%Y:Select"
has "$log" " New Y=bwt Mean (SD n #values #miss)= 2944.59 ( 727.283 189 131 0)"
count "$log" "%Y:Select" 2
has "$log" " Attributes formed from variable :age"
has "$log" " Multivariate outcome: serial mode"
has "$log" "  Y defined by attributes"

cat > "$work/lung.txt" <<SCRIPT
dismiss
menu File > Open
file $work/lung.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = ph_ecog
  press OK
answer no
shot dialog $shots/ymenu_discrete.png
dialog 148
  press Reverse order
shot dialog $shots/ymenu_discrete_reversed.png
dialog 148
  press Reverse order
dialog 148
  set Ordinal Fragment = on
  press OK
menu Y > Ok : {ph_ecog >0},{ph_ecog >1},...
SCRIPT
run lung
log="$work/LUNG.LOG"
for l in "%Y:Select" " Doing ordinal analysis" " Ascending analysis" \
  " Assumed ordinal structure of ph_ecog  categories: 0 1 2 3" \
  " Creating indicator values for levels of ph_ecog" " Multiple Y vector:" \
  "   {ph_ecog >0}        {ph_ecog >1}        {ph_ecog >2}" " Multivariate outcome: serial mode"; do
  has "$log" "$l"
done
count "$log" "%Y:Select" 1
for p in ymenu_discrete.png ymenu_discrete_reversed.png; do
  [ -n "$(find "$shots/$p" -size +1k 2>/dev/null)" ] || fail "$p is not a picture of the dialog"
done

finish "ymenu: all passed"
