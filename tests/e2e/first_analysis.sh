#!/usr/bin/env bash
# A first analysis of every example as a user makes it, one run each, all on the
# same steps: File:Open, Options (display graphics off), the Y, the criterion
# that suits it with automatic beta, Strategy and Extent at their defaults
# (iterative, "Up to 2 2", fixed cuts, top 10 attributes), Search:Go! to the end
# with Esc on each iteration's hull window (the winner's statistics and the
# Search Summary follow), Process > Statistics and Process > Rectangle diagrams
# of the optimal partition, the attribute rank plot, the distribution of Y,
# View > Output, File:Exit. Each run must end with status 0, no sanitizer report
# and no greyed menu title; pictures of the frame after Go! and after the
# statistics, and of the hull, rectangle, rank and distribution windows go to
# MERU_E2E_SHOTS.
#
# The values checked were worked out apart from the program, from the CSV files:
# - beta is 5% of the best single attribute's criterion (the first hull point is
#   at complexity 1): tools/reference/single_chisq.py with the control file's
#   cuts (bcw usize>2 493.435; kyphosis start<=12 17.7752; votes84
#   v04 361.4183; pima glu in (141,199] 102.9569), R's survdiff for lung
#   (ph_ecog<=1: 15.964099) and the between-sides sum of squares / n for
#   birthwt (low: 325784.25);
# - the winner's criterion, 2x2 table or means, error and sample size:
#   tools/reference/partition_reference.py on the winning partition, in
#   three-valued logic (an observation whose membership is undetermined left
#   out); lung's log-rank also R: survdiff(Surv(time, dead) ~ a) with
#   a <- (age<=75 & ph_ecog<=1 & pt_karno>60) | (inst>mean(inst) & sex!=1),
#   chi-square 36.634377 on 56 + 171 = 227;
# - each "Best at complexity" line is G - beta c of the partition the log
#   names there, G from partition_reference.py; the complexity is q + q' - 1
#   of the minimal sums of products of A and of A-;
# - bcw, kyphosis and votes84 (one cut per attribute) also from
#   tools/reference/hull_reference.py on the attributes turned to 0/1 columns:
#   bcw 9 + 72 + 504 + 756 = 1341 candidates, hull 1 2 3 5, best at 3 with
#   571.307 - 3 x 24.6718 = 497.292 (won by ushape, barenuc and epsize);
#   kyphosis 15 candidates, best at 3 with 29.1838 - 3 x 0.888758 = 26.5175;
#   votes84 over its ten best votes 2080 candidates, best at 1 (v04);
# - pima's first two iterations from tools/reference/iteration_reference.py on
#   its eight attributes as 0/1 columns (glu in (141,199], age>25, npreg>6,
#   bmi>30, skin>20, ped in (0.5599,2.42], bp>80, set=1): 820 candidates, best
#   at 3 with 120.0665 - 3 x 5.147845 (A = glu or age & ped); then 394, best
#   at 4 with 131.9243 - 4 x 5.147845.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=120
shots="${MERU_E2E_SHOTS:-$work}"
mkdir -p "$shots"
near() { awk -v a="$1" -v b="$2" 'BEGIN { d = a - b; if (d < 0) d = -d; m = b < 0 ? -b : b; exit !(d <= 5e-5 * m) }'; }
after() { grep -F -- "$2" "$1" | head -1 | sed "s/.*$(printf '%s' "$2" | sed 's/[][\.*^$/]/\\&/g')//"; }

# The examples: name, control file, log, Y, how Y is chosen, criterion, hull
# windows (iterations), beta, the "Best at complexity" lines as c:G_beta, the
# winner's criterion line in the statistics and its value, the resubstitution
# error, the sample size.
select_y() { printf 'menu Y > Select Y\ndialog Select  Y variable(s)\n  set 1000 = %s\n  press OK\nanswer no\nanswer ok\n' "$1"; }
cases=(
  "bcw|bcwm.mrc|BCWM.LOG|malig|ok|Chi-square|2|24.6718|3:497.292 3:497.292|Chi-square          =|571.3074|4.18%|693"
  "kyphosis|kyphosis.mrc|KYPHOSIS.LOG|kyphosis|select|Chi-square|2|0.888758|3:26.5175 3:26.5175|Chi-square          =|29.18382|17.28%|81"
  "votes84|votes84.mrc|VOTES84.LOG|repub|select|Chi-square|2|18.07091|1:343.3474|Chi-square          =|361.4183|3.77%|424"
  "pima|pima.mrc|PIMA.LOG|diabetes|select|Chi-square|3|5.147845|3:104.623 4:111.3329 4:111.3329|Chi-square          =|131.9243|22.56%|532"
  "lung|lung.mrc|LUNG.LOG|time|select|Log-rank|4|0.798205|5:26.67997 7:31.04694 7:31.04694 7:31.04694|Log-rank=|36.63438|-|227"
  "birthwt|birthwt.mrc|BIRTHWT.LOG|bwt|select|Within MSE|2|16289.21|1:309495.0|Within MSE          =|325784.25|38.41%|189"
)

# Lines of each statistics block: the 2x2 table of a binary Y (counts from
# partition_reference.py), the cells' mean Y of birthwt (low=0: 130, mean
# 3329.1077; low=1: 59, 2097.3390), lung's deaths and person time in A (112 of
# 171, 58113 days: R's survdiff counts 112 observed deaths in A).
declare -A block=(
  [bcw]="    |   0             |         437 ( 63.1%)        17 (  2.5%) |      454 ( 65.5%)|
    |   1             |          12 (  1.7%)       227 ( 32.8%) |      239 ( 34.5%)|"
  [kyphosis]="    |   0             |          52 ( 64.2%)        12 ( 14.8%) |       64 ( 79.0%)|
    |   1             |           2 (  2.5%)        15 ( 18.5%) |       17 ( 21.0%)|"
  [votes84]="    |   0             |         245 ( 57.8%)        14 (  3.3%) |      259 ( 61.1%)|
    |   1             |           2 (  0.5%)       163 ( 38.4%) |      165 ( 38.9%)|"
  [pima]="    |   0             |         291 ( 54.7%)        64 ( 12.0%) |      355 ( 66.7%)|
    |   1             |          56 ( 10.5%)       121 ( 22.7%) |      177 ( 33.3%)|"
  [lung]="  A           112          58113.0         0.1927E-02( 0.1570E-02, 0.2284E-02)"
  [birthwt]="      0             130    3329.1077   0
      1              59    2097.3390   1"
)

# bcw with malig first, the default Y.
sed 's/^bcw_orig.csv/bcwm.csv/' "$src/examples/bcw.mrc" >"$work/bcwm.mrc"
awk -F, 'BEGIN { OFS = "," } { sub(/\r$/, ""); last = $NF; $NF = ""; sub(/,$/, ""); print last, $0 }' \
  "$src/examples/bcw_orig.csv" >"$work/bcwm.csv"
cp "$src"/examples/{kyphosis,votes84,pima,lung,birthwt}.mrc "$src"/examples/{kyphosis,votes84,pima_mass,lung,birthwt}.csv "$work/"

for c in "${cases[@]}"; do
  IFS='|' read -r name control logname y how criterion hulls beta bests gline g error n <<<"$c"
  export MERU_PREFS="$work/$name.prf"
  {
    printf 'dismiss\ngreyed\nmenu File > Open\nfile %s\ndismiss\n' "$work/$control"
    settings_block graphics=off
    if [ "$how" = ok ]; then printf 'menu Y > Ok  %s\nanswer no\ndismiss\n' "$y"; else select_y "$y"; fi
    settings_block criterion="$criterion" beta=automatic
    [ "$criterion" = Log-rank ] && printf 'dialog Select attribute\n  set 1007 = " dead=0"\n  press OK\ndismiss\n'
    printf 'menu Search > Go!\ndismiss\n'
    for ((i = 0; i < hulls; i++)); do echo "click 15 20 8"; done
    printf 'shot 15 %s\n' "$shots/first_analysis_${name}_hull.png"
    optimal='dialog Select partition\n  set Optimal Complexity penalised = on\n  press OK\n'
    printf "shot frame %s\nmenu Process > Statistics\n$optimal" "$shots/first_analysis_${name}_go.png"
    printf 'answer ok\nshot frame %s\nkey 57 Esc\ngreyed\n' "$shots/first_analysis_${name}_statistics.png"
    printf "menu Process > Rectangle diagrams\n$optimal"
    printf 'dialog Rectangle diagrams\n  press OK\nshot 16 %s\nclick 16 10 5\ngreyed\n' "$shots/first_analysis_${name}_rectangles.png"
    printf 'menu Rank > Attribute Rank Plot\nshot 12 %s\nclick 12 10 5\ngreyed\n' "$shots/first_analysis_${name}_rank.png"
    printf 'menu Y > Distribution\ndialog Variable for distribution\n  set 1160 = %s\n  press OK\n' "$y"
    # The censored survival time is told to be shown by Kaplan-Meier.
    [ "$criterion" = Log-rank ] && printf 'answer ok\n'
    printf 'shot 11 %s\nclick 11 10 5\n' "$shots/first_analysis_${name}_distribution.png"
    printf 'dialog Variable for distribution\n  press Cancel\ngreyed\n'
    printf 'menu View > Output %s\ndismiss\nkey 57 Esc\ngreyed\nmenu File > Exit\nanswer yes\n' "$logname"
  } >"$work/$name.txt"
  run_program "$name" 0 "$meru"
  log="$work/$logname"

  # Before the opening only File, Options, View, Window and Help can be chosen;
  # back at the idle poll after each window of the tour every menu title can.
  greyed=$(grep '^greyed menus: ' "$work/$name.err" | sed 's/^greyed menus: //' | tr '\n' '|')
  [ "$greyed" = "Edit, Y, Criteria, Rank, Strategy, Search, Process|none|none|none|none|none|" ] ||
    fail "$name: greyed menus: $greyed"

  got=$(after "$log" " Penalty parameter beta automatically set to ")
  near "$got" "$beta" || fail "$name: automatic beta $got, expected $beta"
  got=$(grep "^ Best at complexity" "$log" | sed -E 's/^ Best at complexity +([0-9]+); G_beta=/\1:/' | tr '\n' ' ')
  read -ra want <<<"$bests"
  read -ra seen <<<"$got"
  [ "${#seen[@]}" = "${#want[@]}" ] || fail "$name: \"Best at complexity\" lines: $got, expected $bests"
  for i in "${!want[@]}"; do
    [ "${seen[i]%%:*}" = "${want[i]%%:*}" ] && near "${seen[i]#*:}" "${want[i]#*:}" ||
      fail "$name: \"Best at complexity\" lines: $got, expected $bests"
  done

  # The statistics block of Process > Statistics.
  stats=$(sed -n '/^%Process:statistics/,/^%Process:rectangle/p' "$log")
  got=$(grep -F -- "$gline" <<<"$stats" | head -1 | sed "s/.*$gline *//; s/ .*//")
  near "$got" "$g" || fail "$name: statistics \"$gline\" $got, expected $g"
  grep -qxF "Sample size = $n" <<<"$stats" || fail "$name: statistics sample size is not $n"
  while IFS= read -r line; do
    grep -qxF -- "$line" <<<"$stats" || fail "$name: statistics: no line \"$line\""
  done <<<"${block[$name]}"
  grep -qE "^ Resubstitution error is +$error$" <<<"$stats" || fail "$name: statistics error is not $error"

  # The Search Summary's row: complexity, G - beta c, error and sample size.
  row=$(grep -A6 -xF "%Search Summary" "$log" | awk '$1 == 1 && NF == 8 { print $3, $4, $5, $6 }')
  read -r sc sg se sn <<<"$row"
  last=${want[${#want[@]} - 1]}
  [ "$sc" = "${last%%:*}" ] && near "$sg" "${last#*:}" && [ "$sn" = "$n" ] || fail "$name: Search Summary row: $row"
  [ "$se" = "$error" ] || fail "$name: Search Summary error: $row"

  [ "$(tail -n 1 "$log")" = "User File:Exit of MERU" ] || fail "$name: the log does not end with the exit line"
  for p in go hull statistics rectangles rank distribution; do
    [ -n "$("$probe" "$shots/first_analysis_${name}_$p.png" size)" ] || fail "$name: no picture $p"
  done
done

# bcw in more detail: the settings, the search's size, the winner.
log="$work/BCWM.LOG"
has "$log" " Chi-square ; gamma= 0.000; Complexity q + q' - 1"
has "$log" " Up to size p_1,..p_q=2 2"
has "$log" " # Partitions generated 1341"
names=$(grep -A2 -xF "Best on iteration 1" "$log" | tail -n +2 | grep -oE '[a-z]+[<>]' | tr -d '<>' | sort -u | tr '\n' ' ')
[ "$names" = "barenuc epsize ushape " ] || fail "bcw winner's attributes: $names"
has "$log" " Convergence (same as last iteration partition) in    2 iterations"
has "$log" "                Chi-sq statistic=  571.31 (P= 0.00000)"
has "$work/KYPHOSIS.LOG" " # Partitions generated 15"
has "$work/VOTES84.LOG" " # Partitions generated 2080"
[ "$(grep "^ # Partitions generated" "$work/PIMA.LOG" | head -2 | tr -s ' ' | tr '\n' '|')" = " # Partitions generated 820| # Partitions generated 394|" ] ||
  fail "pima: the first two iterations' candidates are not 820 and 394"
expect_line bcw "progress: ..viewing output log  BCWM.LOG"

finish "first_analysis: all passed"
