#!/usr/bin/env bash
# Scripted iterative searches on votes84 with repub first: Chi-square, Top m 16,
# "Up to 2 2", A and A-, Detailed output, Esc on each hull window.
# 1. Automatic beta, at most 6 iterations: iteration 1 ends as the non-iterative
#    search does (the same table and winner, v04 alone); +a_1 is made and
#    searched with; no candidate of iteration 2 is new, so the search converges
#    at iteration 2. The close box of iteration 1's hull only minimises it: the
#    hull waits on for its Esc.
# 2. Beta 0, at most 6 iterations. tools/reference/iteration_reference.py on the
#    reordered file gives iteration 1's winner +a_1 = (v04 v09) + (v04 v11)
#    (oriented votes) and iteration 2's table (count of iteration 2, largest G of
#    both iterations):
#      c 1 0 361.418 | 2 0 350.224 | 3 0 373.817 | 4 143 381.826 | 5 422 369.994
#      6 627 374.772 | 7 231 343.106 | 8 990 336.202
#    The run ends with one of the four endings; the Search Summary's #parts is
#    the sum of the iterations' " # Partitions generated".
# 3. Beta 0, at most 2 iterations: the maximum ends it after the second.
# 4. Beta 0, Search:End at the 1000th evaluation of iteration 2 (every evaluation
#    pumps with MERU_YIELD_MS=0): the user's note with 2, no +a_2.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=200
export MERU_PREFS="$work/meru.prf"
# table LOG N: the N-th " Complexities generated" table's rows as "c count G" (G to 6 digits).
table() {
  awk -v n="$2" '/^ Complexities generated/ { k++; next } k == n && /^ c  # Gen/ { on = 1; next }
    on && /^ *[0-9]+ +[0-9]+ / { printf "%d %d %.6g\n", $1, $2, $3; next } on { exit }' "$1"
}

cp "$src/examples/votes84.mrc" "$work/"
awk -F, 'BEGIN { OFS = "," } { print $17, $1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16 }' \
  "$src/examples/votes84.csv" >"$work/votes84.csv"
log="$work/VOTES84.LOG"

script() { # ITERATIVE BETA MAXITER HULL-CLICKS [SEARCH-END-AFTER-FIRST-HULL]
  cat <<SCRIPT
dismiss
menu File > Open
file $work/votes84.mrc
dismiss
menu Y > Ok  repub
answer no
dismiss
$(settings_block detailed=on criterion=Chi-square beta="$2" gamma=0 iterative="$1" size="2 2" upto=on both=on \
    float=1 top=16 maxiter="$3")
menu Search > Go!
dismiss
SCRIPT
  for k in $(seq "$4"); do
    echo "click 15 20 8"
    [ "$k" = 1 ] && [ -n "${5:-}" ] && printf 'at busy %s menu Search > End\n' "$5"
  done
  [ -n "${5:-}" ] && echo "dismiss"
  return 0
}

# 0. The same search without iterations.
script off automatic 6 1 >"$work/plain.txt"
run_program plain 0 "$meru"
cp "$log" "$work/plain.log"
rm -f "$log"

# 1.
script on automatic 6 2 | sed '0,/^click 15/s//close 15\n&/' >"$work/auto.txt"
run_program auto 0 "$meru"
[ "$(table "$log" 1)" = "$(table "$work/plain.log" 1)" ] || fail "iteration 1's table differs from the plain search's"
best=$(grep -m1 "^ Best at complexity" "$log")
[ "$best" = "$(grep -m1 "^ Best at complexity" "$work/plain.log")" ] || fail "iteration 1's winner: $best"
has "$log" " Best at complexity   1; G_beta=343.34735"
has "$log" " A \"single attribute partition\" (q=1,p_1=1) is best."
has "$log" " Added attribute +a_1 created and included in attribute set"
has "$log" "New Iteration"
grep -A1 -xF " Current positive attribute set is now:" "$log" | tail -1 | grep -q " +a_1$" ||
  fail "the attribute set does not end with +a_1"
has "$log" " Convergence (same as last iteration partition) in    2 iterations"
rm -f "$log"

# 2.
script on 0 6 5 >"$work/zero.txt"
run_program zero 0 "$meru"
cp "$log" "$work/zero.log"
want="1 0 361.418
2 0 350.224
3 0 373.817
4 143 381.826
5 422 369.994
6 627 374.772
7 231 343.106
8 990 336.202"
got=$(table "$log" 2 | awk '{ printf "%d %d %.6g\n", $1, $2, $3 }')
[ "$got" = "$want" ] || fail "iteration 2's table:
$got"
has "$log" " Added attribute +a_2 created and included in attribute set"
# The Search Summary's #parts counts the partitions of every iteration.
sum=$(awk '/^ # Partitions generated/ { s += $4 } END { print s }' "$log")
parts=$(sed -n '/^%Search Summary/,$p' "$log" | awk '$1 == 1 && NF == 8 { print $2 }')
[ "$parts" = "$sum" ] || fail "the summary's #parts $parts, not the $sum of every iteration"
endings=$(grep -cE "^( Convergence \(same as last iteration partition\) in|Maximum allowed iterations reached)" "$log")
[ "$endings" = 1 ] || fail "$endings endings"
rm -f "$log"

# 3.
script on 0 2 2 >"$work/max.txt"
run_program max 0 "$meru"
has "$log" "Iterations stopped. Maximum allowed reached"
has "$log" "Maximum allowed iterations reached"
grep -q "Added attribute +a_3" "$log" && fail "a third iteration ran"
rm -f "$log"

# 4.
script on 0 6 2 1000 >"$work/end.txt"
run_program end 0 "$meru" MERU_YIELD_MS=0
has "$log" "** User Requested Search:End **"
has "$log" " # Partitions generated 1000"
has "$log" "User ended iterative search during iteration 2"
grep -q "Added attribute +a_2" "$log" && fail "an attribute was made after Search:End"
finish "iterative: all passed"
