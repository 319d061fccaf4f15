#!/usr/bin/env bash
# Scripted series of searches, each ending with its Search Summary. Entropy,
# non-iterative, "Up to 1", A and A-, Top m 6: each search picks one literal.
# The errors come from tools/reference/series_errors.py, which makes the samples
# from the same random stream and scores the partitions the log names:
# 1. kyphosis (kyphosis first), Edit > Bootstrap sample, Go!: ten samples, ten
#    resubstitution errors, one summary after the tenth, the weights restored.
#    The same series after a split draws the same samples; a second series
#    after a Process > Random draws samples 11 to 20 of the bootstrap's stream.
#    "NOTE: inconsistent cuts" is right for age: its cuts correlate 0.236 (>50)
#    and -0.116 (>150) with kyphosis (cut_correlations.py), so it is answered.
# 2. kyphosis, a repeatable training sample of 54: training error 9/54 and test
#    error 9/27 of A = start<=9, scored with the training sides' classes.
#    Switched to the test sample, Process > Statistics names it and gives its
#    Entropy: A- 16 and 4, A 5 and 2 of classes 0 and 1, so G = I(21, 6) -
#    (20 I(16, 4) + 7 I(5, 2)) / 27 = 0.003931 (0.157340 on the training sample).
# 3. birthwt (bwt dropped) by value of race, "Yes to all" at the first group:
#    each group's error and its remainder's, and the 3-fold average
#    (93 x 38.71% + 163 x 39.26% + 122 x 26.23%) / 378 = 34.92%, SE 2.43%.
#    The frame at the end (the log shown at its Search Summary) is saved. Then
#    Process > Statistics in by-group mode: each group's error of A = ptl>0.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
export MERU_PREFS="$work/meru.prf"
shots="${MERU_E2E_SHOTS:-$work}"
count() {
  local n
  n=$(grep -cxF -- "$2" "$1" 2>/dev/null)
  [ "$n" -eq "$3" ] || fail "$1: \"$2\" $n times, expected $3"
}
# rows LOG: the Search Summary's rows without their penalised effectiveness.
rows() {
  sed -n '/^%Search Summary/,$p' "$1" | awk '$5 ~ /%$/ && NF == 8 { print $1, $2, $3, $5, $6, $7, $8 }'
}
same() { [ "$2" = "$3" ] || fail "$1: got [$2], expected [$3]"; }

awk -F, 'BEGIN { OFS = "," } { print $4, $1, $2, $3 }' "$src/examples/kyphosis.csv" >"$work/kyphosis.csv"
sed -e '/^kyphosis b 1$/d' -e 's/^age i 20/kyphosis b 1\nage i 20/' "$src/examples/kyphosis.mrc" >"$work/kyphosis.mrc"
awk -F, 'BEGIN { OFS = "," } { NF = 9; print }' "$src/examples/birthwt.csv" >"$work/birthwt.csv"
sed '/^bwt /d' "$src/examples/birthwt.mrc" >"$work/birthwt.mrc"

# settings NAME Y: open NAME.mrc, Y:OK of Y and the settings of every run.
settings() {
  cat <<SCRIPT
dismiss
menu File > Open
file $work/$1.mrc
dismiss
menu Y > Ok  $2
answer no
dismiss
$(settings_block criterion=Entropy beta=automatic gamma=0 iterative=off size=1 upto=on both=on top=6)
SCRIPT
}

# 1. Bootstrap: each search is answered with a click on its hull. The log shown
# after the tenth; closing it ends the series, and the Edit item is "Bootstrap
# sample" again.
boot_series() {
  printf 'menu Edit > Bootstrap sample\ndismiss\nmenu Search > Go!\n'
  for _ in 1 2 3 4 5 6 7 8 9 10; do printf 'dismiss\nclick 15 20 8\n'; done
  printf 'key 57 Esc\n'
}
{
  settings kyphosis kyphosis
  boot_series
  # The Partition window names the sample of the current partition.
  printf 'shot 18 %s\nmenu Edit > Bootstrap sample\ndismiss\n' "$shots/series_bootstrap_partition.png"
} >"$work/boot.txt"
run_program boot 0 "$meru"
log="$work/KYPHOSIS.LOG"
has "$log" "NOTE: inconsistent cuts"
[ "$(grep -c '^Bootstrap sample #' "$log")" -eq 10 ] || fail "boot: not ten samples"
has "$log" "Bootstrap sample #10"
count "$log" "%Search Summary" 1
count "$log" "  Bootstrap sample is created for analysis" 10
has "$log" "  Bootstrap undone. Reverting to original data"
count "$log" "%Edit:Bootstrap sample" 2
winners="A=(start<=12) A=(start<=9) A=(start<=12) A=(start<=9) A=(start<=14) A=(start<=14) A=(start<=14) A=(number>5) A=(start<=14) A=(start<=12) "
same boot "$(grep -E '^ +A= ' "$log" | tr -d ' ' | tr '\n' ' ')" "$winners"
same boot "$(rows "$log" | tr '\n' '|')" \
  "1 3 1 14.81% 81 14.81% 81|2 3 1 24.69% 81 24.69% 81|3 3 1 20.99% 81 20.99% 81|4 3 1 19.75% 81 19.75% 81|5 3 1 17.28% 81 17.28% 81|6 3 1 24.69% 81 24.69% 81|7 3 1 13.58% 81 13.58% 81|8 3 1 14.81% 81 14.81% 81|9 3 1 14.81% 81 14.81% 81|10 3 1 17.28% 81 17.28% 81|"
has "$log" " Search  1 definition identical to search(es)  3 10"
has "$log" " Search  2 definition identical to search(es)  4"
has "$log" " Search  5 definition identical to search(es)  6  7  9"
has "$log" " # of unique optimal partitions=4"

# 1b. The first series of an analysis draws the same samples whatever the
# program drew before it (a repeatable split undone by Cancel), and the second
# one, after a Process > Random, the next ten samples of the bootstrap's own
# stream: its winners and their errors are those of samples 11 to 20.
{
  settings kyphosis kyphosis
  printf 'menu Edit > Split sample\ndialog Training sample\n  set Repeatable random sample = on\n  set 1002 = 54\n'
  printf '  press OK\ndismiss\nmenu Edit > Split sample\ndialog Training sample\n  press Cancel\ndismiss\n'
  boot_series
  printf 'menu Process > Random\ndismiss\ndialog Random partitions\n  set 1003 = 100\n'
  printf '  set Random  U(0,1) split distribution = on\n  press OK\n'
  boot_series
} >"$work/boot_again.txt"
run_program boot_again 0 "$meru"
has "$log" " Bootstrap series # 2 of this analysis"
winners2="A=(start<=12) A=(start<=9) A=(start<=12) A=(age>20) A=(number>4) A=(start<=12) A=(start<=14) A=(number>5) A=(start<=12) A=(start<=12) "
same boot_again "$(grep -E '^ +A= ' "$log" | tr -d ' ' | tr '\n' ' ')" "$winners$winners2"
same boot_again "$(rows "$log" | tail -10 | tr '\n' '|')" \
  "1 3 1 12.35% 81 12.35% 81|2 3 1 19.75% 81 19.75% 81|3 3 1 16.05% 81 16.05% 81|4 3 1 19.75% 81 19.75% 81|5 3 1 18.52% 81 18.52% 81|6 3 1 28.40% 81 28.40% 81|7 3 1 19.75% 81 19.75% 81|8 3 1 11.11% 81 11.11% 81|9 3 1 19.75% 81 19.75% 81|10 3 1 13.58% 81 13.58% 81|"

# 2. Training and test sample.
{
  settings kyphosis kyphosis
  cat <<SCRIPT
menu Edit > Split sample
dialog Training sample
  set Repeatable random sample = on
  set 1002 = 54
  press OK
dismiss
menu Search > Go!
dismiss
click 15 20 8
menu Process > Switch to test sample
dismiss
$(current_statistics)
SCRIPT
} >"$work/split.txt"
run_program split 0 "$meru"
has "$log" " There are      54(  66.67%) training observations"
has "$log" "   A= ( start<=9 )"
has "$log" " Training sample generalised error is   16.67"
has "$log" " Test sample generalised error is   33.33"
has "$log" " Training and test sample. Resubstitution and test error"
same split "$(rows "$log" | head -1)" "1 3 1 16.67% 54 33.33% 27"
has "$log" " Statistics of the test sample"
has "$log" "2           Entropy             =     0.003931"

# 3. By value of race, as a 3-fold cross-validation.
{
  settings birthwt low
  cat <<SCRIPT
$(by_value race)
answer ok
menu Search > Go!
dialog 141
  press Yes to all
dismiss
click 15 20 8
click 15 20 8
click 15 20 8
wait 300
shot frame $shots/series_end.png
key 57 Esc
menu Process > Statistics
dismiss
dialog 111
  press OK
key 57 Esc
SCRIPT
} >"$work/by.txt"
run_program by 0 "$meru"
# The series' part of the log, before Process > Statistics.
sed '/^%Process:statistics/,$d' "$work/BIRTHWT.LOG" >"$work/series.log"
log="$work/series.log"
for g in "1: race = 1.000 n= 96" "2: race = 2.000 n= 26" "3: race = 3.000 n= 67"; do
  count "$log" "Analysis of BY group $g" 3
done
count "$log" " Sub-sample NOT in BY group now being analysed:" 3
same by "$(grep -E '^ +A= ' "$log" | tr -d ' ' | tr '\n' ' ')" "A=(smoke=1) A=(smoke=1) A=(ptl>0) "
same by "$(grep '^ Remainder sample generalised error' "$log" | awk '{ print $6 }' | tr '\n' ' ')" \
  "23.96% 38.71% 34.62% 39.26% 31.34% 26.23% "
has "$log" " 3-fold cross-validated error estimates."
same by "$(rows "$log" | tr '\n' '|')" "1 6 1 23.96% 96 38.71% 93|2 6 1 34.62% 26 39.26% 163|3 6 1 31.34% 67 26.23% 122|"
has "$log" "                                          Cross-validated average      34.92% (SE  2.43%)"
has "$log" " Search  1 definition identical to search(es)  2"
[ -n "$(png_size "$shots/series_end.png")" ] || fail "no picture of the series' end"
# By-group mode stays on: Process > Statistics runs on each group with the
# current partition (group 3's A = ptl>0), each scored on its own group, and
# ends with the groups' tables pooled.
same by "$(sed -n '/^%Process:statistics/,$p' "$work/BIRTHWT.LOG" | grep -E '^(Analysis of BY|Sample size| Generalised)' | tr '\n' '|')" \
  "Analysis of BY group 1: race = 1.000 n= 96|Sample size = 96| Generalised error is   21.88%|Analysis of BY group 2: race = 2.000 n= 26|Sample size = 26| Generalised error is   42.31%|Analysis of BY group 3: race = 3.000 n= 67|Sample size = 67| Generalised error is   31.34%|Analysis of BY: Summary Pooled Stats over   3 BY group strata:|"

finish "series: bootstrap, training/test and by-group runs passed"
