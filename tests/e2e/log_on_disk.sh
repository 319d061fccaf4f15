#!/usr/bin/env bash
# The output log on disk: while the program is idle after an opening the whole
# log is in the file; SIGTERM ends the run as File:Exit does, leaving whole lines
# and one more that names the stop; control files whose names share their first
# 8 characters keep a log each; two programs opening one analysis keep a log each.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"

# ends_whole FILE: the file is not empty and its last byte ends a line
ends_whole() { [ -s "$1" ] && [ "$(tail -c 1 "$1" | od -An -tx1 | tr -d ' ')" = "0a" ]; }

cp "$src"/examples/lung.mrc "$src"/examples/lung.csv "$work/"
log="$work/LUNG.LOG"
freq="sex _male                    138  sex ^male                     90                0"

# Opened, then idle for a long wait (the Window item is taken at the idle poll, so
# the wait comes after the opening): the log is on disk before the run ends.
printf "dismiss\nmenu File > Open\nfile %s\ndismiss\nmenu Window > I'm thinking\nwait 60000\n" "$work/lung.mrc" \
  > "$work/idle.txt"
MERU_SCRIPT="$work/idle.txt" "$meru" >"$work/idle.out" 2>"$work/idle.err" &
pid=$!
if wait_for 60 "the program to wait at the idle poll" grep -qsF "wait 60000" "$work/idle.err"; then
  cp "$log" "$work/idle.log"
  grep -qF -- "$freq" "$work/idle.log" || fail "idle: the attribute frequencies are not on disk"
  grep -qF "%Attribute frequencies:" "$work/idle.log" || fail "idle: no attribute-frequency table on disk"
  ends_whole "$work/idle.log" || fail "idle: the log on disk ends inside a line"
  # The table is the log's last block: its last row (the attribute dead=1), then its rule.
  tail -2 "$work/idle.log" | head -1 | grep -qE '^1 +24 +dead =1 +165 +dead =0 +63 +0$' ||
    fail "idle: the log does not end with the frequency table: $(tail -2 "$work/idle.log")"
  tail -1 "$work/idle.log" | grep -qE '^ -+$' || fail "idle: the table's closing rule is not the last line"
fi
kill -TERM "$pid" 2>/dev/null
wait "$pid"
status=$?
[ "$status" -eq 0 ] || fail "SIGTERM: status $status, expected 0"
ends_whole "$log" || fail "SIGTERM: the log ends inside a line"
{ cat "$work/idle.log"; echo "Signal SIGTERM:Stop of MERU"; } | cmp -s "$log" - ||
  fail "SIGTERM: the log is not the opening's and the stop: $(tail -1 "$log")"
no_sanitizer_report idle


# SIGHUP and SIGINT end a run the same way.
for sig in HUP INT; do
  printf 'dismiss\nwait 60000\n' > "$work/sig$sig.txt"
  MERU_SCRIPT="$work/sig$sig.txt" "$meru" >"$work/sig$sig.out" 2>"$work/sig$sig.err" &
  pid=$!
  wait_for 60 "the program to wait" grep -qsF "wait 60000" "$work/sig$sig.err"
  kill -"$sig" "$pid" 2>/dev/null
  wait "$pid"
  status=$?
  [ "$status" -eq 0 ] || fail "SIG$sig: status $status, expected 0"
done

# Two control files whose names share their first 8 characters: each keeps its log.
cp "$work/lung.mrc" "$work/study2024_men.mrc"
cp "$work/lung.mrc" "$work/study2024_women.mrc"
printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\nmenu File > Open\nanswer yes\nfile %s\ndismiss\n' \
  "$work/study2024_men.mrc" "$work/study2024_women.mrc" > "$work/two.txt"
run_program two 0 "$meru"
for who in men women; do
  f="$work/STUDY2024_${who^^}.LOG"
  [ -f "$f" ] || { fail "no log $f"; continue; }
  grep -qxF "%File:Open $work/study2024_$who.mrc" "$f" || fail "$f: not the log of study2024_$who.mrc"
  grep -qF " This output file is: STUDY2024_${who^^}.LOG" "$f" || fail "$f: names another file"
  grep -qF -- "$freq" "$f" || fail "$f: no attribute frequencies"
done
[ -f "$work/STUDY202.LOG" ] && fail "a log named from the first 8 characters was written"

# Two programs (each with its preferences, as two users have) open one analysis:
# a moves the earlier log aside, then holds its new log unnamed (MERU_LOG_HOLD)
# while b opens and idles; a then finds b's live LUNG.LOG, writes LUNG.L02 and
# says so. Both stopped, their locks are gone: c keeps b's log as LUNG.L03. Once
# on the no-replace rename, once on its fallback (MERU_RENAME_FALLBACK).
declare -A pid
# start P VAR=VALUE...: starts program P of the round in $d on its script
start() { env "${@:2}" MERU_PREFS="$d/$1.prf" MERU_SCRIPT="$d/$1.txt" "$meru" >"$d/$1.out" 2>"$d/$1.err" & pid[$1]=$!; }
two_programs() {
  local round=$1 p
  shift
  d="$work/$round"
  mkdir "$d" && cp "$work/lung.mrc" "$work/lung.csv" "$d/" && printf 'earlier\n' >"$d/LUNG.LOG"
  for p in a b c; do
    printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\n' "$d/lung.mrc" >"$d/$p.txt"
    [ $p = c ] || printf "menu Window > I'm thinking\nwait 60000\n" >>"$d/$p.txt"
  done
  start a "$@" MERU_LOG_HOLD="$d/go"
  wait_for 20 "a to hold its new log" compgen -G "$d/LUNG.LOG.meru-tmp-*"
  start b "$@"
  wait_for 60 "b to open" grep -qsF "wait 60000" "$d/b.err"
  touch "$d/go"
  wait_for 60 "a to open" grep -qsF "wait 60000" "$d/a.err"
  kill -TERM "${pid[a]}" "${pid[b]}"
  for p in a b; do wait "${pid[$p]}" || fail "$round: $p ended with status $?"; done
  start c "$@"
  wait "${pid[c]}" || fail "$round: c ended with status $?"
  for p in a b c; do no_sanitizer_report "$round/$p"; done
  [ "$(cd "$d" && echo LUNG.*)" = "LUNG.L01 LUNG.L02 LUNG.L03 LUNG.LOG" ] || fail "$round: logs $(cd "$d" && echo LUNG.*)"
  [ "$(cat "$d/LUNG.L01")" = earlier ] || fail "$round: LUNG.L01 is not the earlier log"
  sed -n 5,7p "$d/LUNG.L02" | cmp -s - <(printf '%s\n' " This output file is: LUNG.L02" \
    "NOTE: The earlier LUNG.LOG is kept as LUNG.L01" "NOTE: LUNG.LOG is open in another copy of MERU; this log is LUNG.L02") ||
    fail "$round: a's log does not name itself and say why: $(sed -n 5,7p "$d/LUNG.L02")"
  grep -qF "open in another copy of MERU; this log is LUNG.L02" "$d/a.err" || fail "$round: a did not tell the user"
  [ "$(sed -n 5p "$d/LUNG.L03")" = " This output file is: LUNG.LOG" ] || fail "$round: b's log is not the one it named"
  has "$d/LUNG.LOG" "NOTE: The earlier LUNG.LOG is kept as LUNG.L03"
  # Whole and the same analysis after their first lines, each stopped by its own signal.
  cmp -s <(sed 1,7d "$d/LUNG.L02" | grep -v '^%time') <(sed 1,5d "$d/LUNG.L03" | grep -v '^%time') ||
    fail "$round: the two programs' logs differ"
  grep -qF -- "$freq" "$d/LUNG.L03" && [ "$(tail -1 "$d/LUNG.L03")" = "Signal SIGTERM:Stop of MERU" ] ||
    fail "$round: b's log is not whole"
}
two_programs rename
two_programs fallback MERU_RENAME_FALLBACK=1

finish "log on disk: whole while idle and after SIGTERM; one log per control file; one per program"
