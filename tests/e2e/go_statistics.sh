#!/usr/bin/env bash
# Search:Go! ends with the statistics of its winner and the Search Summary.
# votes84 with repub first, Entropy, "Up to 2", Top m 6: the winner is v04
# (A = v04 yes). Its 2x2 table (A: 14 of class 0, 163 of class 1; A-: 245 and
# 2) misclassifies 16 of 424 = 3.77%, the error the statistics report and the
# summary records.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"

cp "$src/examples/votes84.mrc" "$work/"
awk -F, 'BEGIN { OFS = "," } { print $17, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16 }' \
  "$src/examples/votes84.csv" >"$work/votes84.csv"
cat >"$work/go.txt" <<SCRIPT
dismiss
menu File > Open
file $work/votes84.mrc
dismiss
menu Y > Ok  repub
answer no
dismiss
$(settings_block criterion=Entropy beta=automatic gamma=0 iterative=off size=2 upto=on both=on top=6)
menu Search > Go!
click 15 20 8
wait 1000
SCRIPT
run_program go 0 "$meru"
log="$work/VOTES84.LOG"
has "$log" "   A= ( v04=1 )"
has "$log" "Y variable is repub"
has "$log" "Sample size = 424"
has "$log" " Resubstitution error is    3.77%"
has "$log" " Whole sample  generalised error is    3.77%"
has "$log" "1        Misclassification error=   3.77% (  2.34,  6.04)"
has "$log" "%Search Summary"
grep -qE "^ +1 +36 +1 +0\.49923 +3\.77% +424 +- +424$" "$log" || fail "no summary row for the search"
finish "go_statistics: all passed"
