#!/usr/bin/env bash
# Scripted runs of the Y menu's by-group, distribution and Transform modes. On
# lung: By group on sex by value, then the distribution of age with group 1
# skipped at its quit note and group 2 shown, and By group again, which
# switches the mode off. On birthwt with a second attribute line for age: By
# Attribute on age through the "Attribute groups" dialog (saved as a picture),
# then "a<Y1<=b" of age with "20 30" made an attribute and chosen as Y (its
# mean 100/189 is sum(age > 20 & age <= 30) / 189 in R).
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60
shots="${MERU_E2E_SHOTS:-$work}"

run() { run_program "$1" 0 "$meru"; }
has() {
  grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""
}
count_prefix() {
  local n
  n=$(grep -c -- "^$2" "$1" 2>/dev/null)
  [ "$n" -eq "$3" ] || fail "$1: \"$2\" begins $n lines, expected $3"
}

cp "$src"/examples/lung.* "$src"/examples/birthwt.* "$work/"
sed -i 's/^age i 20 25 30$/age i 20 25 30\nage i 35/' "$work/birthwt.mrc"

cat > "$work/lung.txt" <<SCRIPT
dismiss
menu File > Open
file $work/lung.mrc
dismiss
$(by_value sex)
answer ok
menu Y > Distribution
dialog Variable for distribution
  set 1160 = age
  press OK
dialog 141
  press Quit by group
answer ok
click 11 10 5
dialog Variable for distribution
  press Cancel
menu Y > By group/cross-validate
SCRIPT
run lung
log="$work/LUNG.LOG"
has "$log" "Analysis by variable: sex"
has "$log" " Defined by variable values"
has "$log" " By-group 1: sex = 1.000"
has "$log" " By-group 2: sex = 2.000"
has "$log" "%Y:distribution"
has "$log" " By-group   2: sex     = 2.000"
count_prefix "$log" " By-group   1:" 0
count_prefix "$log" " Creating " 1
has "$log" " Variable age Sample mean = 61.078     Std Dev= 8.7980     n=  90.000"
has "$log" " No by group selected, or cancelled"

cat > "$work/birthwt.txt" <<SCRIPT
dismiss
menu File > Open
file $work/birthwt.mrc
dismiss
menu Y > By group/cross-validate
dialog By group analysis variable
  set 1002 = age
  set By Attribute = on
  press OK
shot dialog $shots/bygroup_attribute_groups.png
dialog Attribute groups
  set 1004 = 2
  press OK
answer ok
menu Y > Transform
dialog Transform: Create a new variable
  set 1374 = age
  set 1376 = 9
  set Enter new Y variable name = mid
  set 1378 = 20 30
  press OK
answer ok
answer yes
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = mid
  press OK
answer no
answer ok
SCRIPT
run birthwt
log="$work/BIRTHWT.LOG"
has "$log" "Analysis by variable: age"
has "$log" " By-group 1: age >35"
has "$log" " a<Y1<=b  Binary variable mid     is   20.00 <age     <=   30.00"
has "$log" " Done! Variable mid is created"
has "$log" " Created positive attribute: mid=1"
has "$log" " New Y=mid Mean (SD n #values #miss)= 0.529101 ( 0.499152 189 2 0)"
[ -n "$(png_size "$shots/bygroup_attribute_groups.png")" ] || fail "no picture of the Attribute groups dialog"

finish "by-group, distribution and transform runs passed"
