#!/usr/bin/env bash
# Added attributes as the user sees them, on bcw.
# 1. An iterative Chi-square search with automatic beta (the steps of
#    first_analysis.sh, whose references give the winner A = ushape>2 and
#    (barenuc>3 or epsize>2), complexity 3, G 571.307 and G_beta 497.292) makes
#    +a_1. View > Added attributes shows +a_1 expanded into that definition and
#    asks to write it to the control file (no); Process > Statistics of the
#    current partition then counts 3 attributes and complexity 3 (q 2 + q' 2 - 1)
#    and the search's G_beta.
# 2. A control file with the combination +c01 (9 18)(9 14) (the same partition by
#    attribute numbers: ushape>2 is 9, barenuc>3 18, epsize>2 14): the opening
#    makes +c01 under its own name without a question; then Process > Create
#    added attribute on the manual partition (6) makes +01 and asks to write it
#    (yes: the record is appended, with a check line of its number); View >
#    Added attributes on +c01 shows its definition and asks the other question
#    (no); on +01 (yes) it is not written twice; (18) makes +02, written.
# 3. ushape given one more cut: 18 is barenuc>1 now, and +02 is left out; +01
#    (6 is still usize>2) and +c01 (no check line) are kept.
# 4. Combinations stored on t.csv, whose b<TAB>c has a tab in its name (2 x>2,
#    3 x>4, 4 b<TAB>c>2): the kept ones take 6, 7, ... in their order;
#    the opening makes +02 (6), then +03 (6 2) is made from it; +03 made
#    first is refused.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
# after LOG HEADING: the lines of LOG from HEADING to the next "%" heading after it.
after() { awk -v h="$2" '$0 == h { on = 1; next } on && /^%/ && !/^%time/ { exit } on' "$1"; }

cp "$src"/examples/bcw.mrc "$src"/examples/bcw_orig.csv "$work/"
open_bcw="dismiss
menu File > Open
file $work/bcw.mrc"
select_y="menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = malig
  press OK
answer no
dismiss"

# 1.
cat >"$work/iterative.txt" <<SCRIPT
$open_bcw
dismiss
$(settings_block graphics=off)
$select_y
$(settings_block criterion=Chi-square beta=automatic)
menu Search > Go!
dismiss
click 15 20 8
click 15 20 8
menu View > Added attributes
dialog Select attribute
  set 1007 = 2
  press OK
answer no
$(current_statistics)
SCRIPT
run_program iterative 0 "$meru"
expect_line iterative "Write created attribute as a control file combination?"
log="$work/BCW.LOG"
view=$(after "$log" "%View:Added attributes")
want="Expanded/Simplified
   A= ( ushape>2 & barenuc>3 )
   or ( ushape>2 & epsize>2 )"
grep -qF -- "$want" <<<"$view" || fail "iterative: +a_1 is not shown by its definition:
$view"
stats=$(after "$log" "%Process:statistics")
grep -qxF "2     # of attributes, complexity=  3, 3" <<<"$stats" || fail "iterative: the statistics' complexity"
grep -qF "Penalised  =   497.2921" <<<"$stats" || fail "iterative: the statistics' G_beta"
grep -q "ushape>2 barenuc>3" <<<"$stats" || fail "iterative: the subgroups are not listed by their definitions"
[ "$(tail -1 "$work/bcw.mrc")" = "bcw_orig.csv" ] || fail "iterative: the control file was written"

# 2.
cp "$src"/examples/bcw.mrc "$work/bcw.mrc"
echo "+c01    (9 18)(9 14)" >>"$work/bcw.mrc"
rm -f "$log"
# combination K: the opening's question answered by the K-th combination.
combination() {
  printf '%s\n' "$open_bcw" dismiss "dialog Select partition" "  set Control file combination = on" "  press OK" \
    "dialog Control file combination" "  set 8535 = $1" "  press OK" dismiss
}
# manual TEXT: an added attribute made of TEXT by Process, written (yes).
manual() {
  printf '%s\n' "menu Process > Create added attribute" "dialog Select partition" "  set Manual = on" "  press OK" \
    "dialog Manual partition" "  set 1003 = $1" "  press OK" "answer yes" "answer ok"
}
# view K ANSWERS...: View > Added attributes on the K-th, then the answers.
view() {
  printf '%s\n' "menu View > Added attributes" "dialog Select attribute" "  set 1007 = $1" "  press OK"
  printf 'answer %s\n' "${@:2}"
}
{
  combination 1
  manual "(6)"
  view 2 no
  view 3 yes ok
  manual "(18)"
} >"$work/combinations.txt"
run_program combinations 0 "$meru"
expect_line combinations "Added attribute made. Write as a control file combination?"
expect_line combinations "Write created attribute as a control file combination?"
expect_line combinations "NOTE: Boolean combination of attribute +01 is already in the control file"
has "$log" "  Added  attribute: +c01     is created"
has "$log" "  Added  attribute: +01      is created"
written=$(tail -5 "$work/bcw.mrc" | tr '\n' '|')
[ "$written" = "+c01    (9 18)(9 14)|+01     (6)|*+01     6=usize>2|+02     (18)|*+02     18=barenuc>3|" ] ||
  fail "combinations: not written once each with their check lines: $written"

# 3.
sed -i 's/^ushape o 1 2 4$/ushape o 1 2 3 4/' "$work/bcw.mrc"
rm -f "$log"
combination 2 >"$work/edited.txt"
run_program edited 0 "$meru"
expect_line edited "NOTE: 1 control file combination(s) left out: their attribute numbers name other attributes now."
has "$log" "NOTE: combination +02 left out: attribute 18 was barenuc>3 when written, is barenuc>1 now"
has "$log" "  Added  attribute: +01      is created"

# 4.
printf 'x,b\tc,y\n1,2,0\n2,3,1\n3,1,0\n4,4,1\n5,2,1\n6,5,0\n' >"$work/t.csv"
printf 'tab names\n*\nx i 2 4\nb\tc i 2\ny b 1\n*\nfree comma\nt.csv\n' >"$work/t.mrc"
# name|text|the check line's pairs|why it is left out (none: kept)
tab=$'\t'
stored="+01|(3)|3=x>2|attribute 3 was x>2 when written, is x>4 now
+02|(4)|4=b${tab}c>2|
+03|(6 2)|6=+02=1 2=x>2|
+04|(7)|7=+09=1|attribute 7 was +09=1 when written, is +03=1 now"
want=
while IFS='|' read -r name text pairs why; do
  printf '%-8s%s\n*%-8s%s\n' "$name" "$text" "$name" "$pairs" >>"$work/t.mrc"
  [ -z "$why" ] || want+="NOTE: combination $name left out: $why"$'\n'
done <<<"$stored"
pick="dialog Select partition
  set Control file combination = on
  press OK
dialog Control file combination"
printf '%s\n' dismiss "menu File > Open" "file $work/t.mrc" dismiss "$pick" "  set 8535 = 1" "  press OK" dismiss \
  "menu Process > Create added attribute" "$pick" "  set 8535 = 2" "  press OK" dismiss >"$work/stored.txt"
run_program stored 0 "$meru"
[ "$(grep -a "left out:" "$work/T.LOG")"$'\n' = "$want" ] || fail "stored: left out: $(grep -a "left out:" "$work/T.LOG")"
has "$work/T.LOG" "  Added  attribute: +03      is created"
# Made before the +02 it names, +03 would read attribute 6 as nothing: refused.
printf '%s\n' dismiss "menu File > Open" "file $work/t.mrc" dismiss "$pick" "  set 8535 = 2" "  press OK" dismiss \
  "dialog Control file combination" "  press Cancel" >"$work/early.txt"
run_program early 0 "$meru"
has "$work/T.LOG" "NOTE: combination +03 not made: attribute 6 was +02=1 when written, names no attribute now"
finish "added_attributes: all passed"
