#!/usr/bin/env bash
# Scripted runs of MERU itself, offscreen, each on its own copy of the program's
# folder: start-up to the idle text with the twelve menus, the Help items, File >
# Exit; the preferences file and the recent files; and the stops at start-up
# when a help file is missing or another copy runs.
# Arguments: the meru executable, the source folder.
set -u
bin="$(cd "$(dirname "$1")" && pwd)"
src="$(cd "$2" && pwd)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export QT_QPA_PLATFORM=offscreen
export MERU_SCRIPT_TIMEOUT=60
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# copy NAME: a copy of the program's folder in $work/NAME
copy() {
  mkdir -p "$work/$1"
  cp -r "$bin"/. "$work/$1"/
}

# run NAME FOLDER EXPECTED-STATUS: runs the script NAME.txt with the program in
# FOLDER and the preferences file NAME.prf; output in NAME.err
run() {
  local name=$1 folder=$2 expect=$3
  env MERU_SCRIPT="$work/$name.txt" MERU_PREFS="$work/$name.prf" timeout 120 "$work/$folder/meru" \
    >"$name.out" 2>"$name.err"
  local status=$?
  [ "$status" -eq "$expect" ] || { fail "$name: status $status, expected $expect"; cat "$name.err"; }
  ! grep -qE "runtime error:|AddressSanitizer" "$name.err" || { fail "$name: sanitizer report"; cat "$name.err"; }
}

expect_line() {
  grep -qF -- "$2" "$1.err" || { fail "$1: no line \"$2\""; cat "$1.err"; }
}

png_size() {
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || return
  echo "$(od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}')"
}

copy prog
[ -n "$(find "$work/prog" -name merukey.txt)" ] || fail "no merukey.txt in the program's folder $bin"

# Start-up to the idle text; the twelve menus (a greyed one cannot be chosen);
# Help > About, Topics and Tip of the Day; File > Exit.
cat > session.txt <<SCRIPT
dismiss
menu Window > I'm thinking
wait 100
shot frame $work/frame.png
shot 37 $work/progress.png
menu Help > About MERU
dismiss
menu Help > Topics
dialog Help Topics
  press Quit
menu Help > Tip of the Day
dialog Tip of the Day Topic
  press OK
menu View > Output
menu Options
dialog Options
  press Cancel
menu File > Exit
SCRIPT
run session prog 0
expect_line session "progress: ...expecting some data via File: menu!"
expect_line session "NOTE: View:Output is not available yet"
expect_line session "dialog Options"
expect_line session ": menu File > Exit"
size=$(png_size frame.png)
case "$size" in
  ""|0x*|*x0) fail "frame.png is not a PNG of the frame ($size)" ;;
esac
[ "$(png_size progress.png)" = "500x60" ] || fail "progress.png is not the 500x60 progress window ($(png_size progress.png))"
[ "$(sed -n 2p session.prf)" = "FFTFFFFTT" ] || fail "session.prf was not created with the new options line"
[ -n "$(find "$work/frame.png" -size +1k)" ] || fail "frame.png is empty"
cp frame.png "${MERU_E2E_SHOTS:-$work}/mainprog_frame.png" 2>/dev/null

# With an analysis open: the idle text names the data file; File > Exit asks,
# No keeps the program running, Yes logs the exit and ends the run; the
# control file heads the recent files.
mkdir -p "$work/cf"
cp "$src/examples/kyphosis.mrc" "$src/examples/kyphosis.csv" "$work/cf/"
cat > analysis.txt <<SCRIPT
dismiss
menu File > Open
file $work/cf/kyphosis.mrc
dismiss
menu File > Exit
answer no
menu File > Exit
answer yes
SCRIPT
run analysis prog 0
expect_line analysis "progress: ... about nothing. Waiting. Data file: "
expect_line analysis "script 8: answer yes"
[ "$(tail -n 1 "$work/cf/KYPHOSIS.LOG")" = "User File:Exit of MERU" ] ||
  fail "KYPHOSIS.LOG does not end with the exit line: $(tail -n 1 "$work/cf/KYPHOSIS.LOG")"
[ "$(grep -c "User File:Exit of MERU" "$work/cf/KYPHOSIS.LOG")" = 1 ] || fail "the exit was logged more than once"
grep -qxF "$work/cf/kyphosis.mrc" analysis.prf || fail "analysis.prf does not list the control file"

# Greyed menus cannot be chosen before an analysis is open.
printf 'dismiss\nmenu Criteria\n' > grey.txt
run grey prog 3
expect_line grey "menu Criteria is greyed"

# The preferences: leading lines kept, the options line read, the recent files
# become File items (blank runs squeezed); choosing one reopens it (here a file
# that is gone: the opening says so). The file is rewritten only when the list or
# the options change, so it keeps its text.
printf '# first\n# second\n\n# third\nFFTFTTF\n/nowhere/one.mrc\n/nowhere/two  files.mrc\n' > recent.prf
cp recent.prf recent.before
printf 'dismiss\nmenu File > /nowhere/two files.mrc\ndismiss\nmenu File > Exit\n' > recent.txt
run recent prog 0
expect_line recent "script 2: menu File > /nowhere/two files.mrc"
cmp -s recent.prf recent.before || fail "recent.prf changed without a reason"

# The tip-of-the-day option saved: the tips follow the banner topic at start-up.
printf 'FFTFFFT\n' > tip.prf
cat > tip.txt <<SCRIPT
dialog MERU
  press OK
dialog Tip of the Day Topic
  press OK
menu File > Exit
SCRIPT
run tip prog 0
expect_line tip "script 3: dialog Tip of the Day Topic"

# An options line that cannot be read: a message, the run goes on.
printf '# prefs\nmaybe\n' > badprefs.prf
printf 'dismiss\nmenu File > Exit\n' > badprefs.txt
run badprefs prog 0
expect_line badprefs "cannot be read. Options take their start values"

# A preferences file in a folder that does not exist: its message, and the
# program runs (no other copy holds it).
printf 'dismiss\nmenu File > Exit\n' > noprefs.txt
env MERU_SCRIPT="$work/noprefs.txt" MERU_PREFS="$work/nowhere/meru.prf" timeout 120 "$work/prog/meru" \
  >noprefs.out 2>noprefs.err
status=$?
[ "$status" -eq 0 ] || { fail "noprefs: status $status, expected 0"; cat noprefs.err; }
expect_line noprefs "ERROR: Cannot read the preferences file $work/nowhere/meru.prf"
grep -qF "possibly MERU already running" noprefs.err && fail "noprefs: stopped as if another copy ran"

# No help index: the message, then the end with a non-zero status.
copy nokey
find "$work/nokey" -name merukey.txt -delete
printf 'answer ok\n' > nokey.txt
run nokey nokey 1
expect_line nokey "Cannot find MERUKEY.TXT or is in use, possibly MERU already running"

# No help text: two messages in order, then the end.
copy notext
find "$work/notext" -name meruhlp.txt -delete
printf 'answer ok\nanswer ok\n' > notext.txt
run notext notext 1
expect_line notext "Cannot find MERUHLP.TXT or is in use, possibly MERU already running"
expect_line notext "MERU terminating"

# A second copy for the same user (the same preferences file) stops with the
# help-index message.
printf 'dismiss\nwait 4000\n' > first.txt
env MERU_SCRIPT="$work/first.txt" MERU_PREFS="$work/first.prf" timeout 120 "$work/prog/meru" >first.out 2>first.err &
first=$!
for _ in $(seq 1 100); do
  grep -qF "script 2: wait 4000" first.err 2>/dev/null && break
  sleep 0.1
done
printf 'answer ok\n' > second.txt
env MERU_SCRIPT="$work/second.txt" MERU_PREFS="$work/first.prf" timeout 120 "$work/prog/meru" \
  >second.out 2>second.err
status=$?
[ "$status" -eq 1 ] || { fail "second: status $status, expected 1"; cat second.err; }
expect_line second "Cannot find MERUKEY.TXT or is in use, possibly MERU already running"
# Another user's copy (its own preferences file) runs beside it.
printf 'dismiss\nmenu File > Exit\n' > other.txt
run other prog 0
wait "$first" || fail "first copy: status $?"

[ "$failures" -eq 0 ] && echo "all scripted runs of MERU as expected"
exit "$failures"
