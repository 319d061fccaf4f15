#!/usr/bin/env bash
# The output log on disk: while the program is idle after an opening the whole
# log is in the file; SIGTERM ends the run as File:Exit does, leaving whole lines
# and one more that names the stop; control files whose names share their first
# 8 characters keep a log each.
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

finish "log on disk: whole while idle and after SIGTERM; one log per control file"
