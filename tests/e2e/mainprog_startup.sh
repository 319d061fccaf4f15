#!/usr/bin/env bash
# Scripted runs of MERU itself, offscreen, each on its own copy of the program's
# folder: start-up to the idle text with the twelve menus, the Help items, File >
# Exit; the preferences file and the recent files; and the stops at start-up
# when a help file is missing or another copy runs.
# Arguments: the meru executable, the source folder.
bin="$(cd "$(dirname "$1")" && pwd)"
src="$(cd "$2" && pwd)"
source "$(dirname "$0")/lib/common.sh"
cd "$work"
export MERU_SCRIPT_TIMEOUT=60

# copy NAME: a copy of the program's folder in $work/NAME
copy() {
  mkdir -p "$work/$1"
  cp -r "$bin"/. "$work/$1"/
}

# run NAME FOLDER EXPECTED-STATUS: runs the script NAME.txt with the program in
# FOLDER and the preferences file NAME.prf; output in NAME.err
run() { run_program "$1" "$3" "$work/$2/meru" MERU_PREFS="$work/$1.prf"; }

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
dismiss
file cancel
menu Options
dialog Options
  press Cancel
menu File > Exit
SCRIPT
run session prog 0
expect_line session "progress: ...expecting some data via File: menu!"
expect_line session "progress: ..viewing output log  "
expect_line session "script 16: file cancel"
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
run_program noprefs 0 "$work/prog/meru" MERU_PREFS="$work/nowhere/meru.prf"
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
# help-index message. The first copy waits for the user (a minute at most) from
# the moment it has echoed its wait; it must still run when the others end.
printf 'dismiss\nwait 60000\n' > first.txt
env MERU_SCRIPT="$work/first.txt" MERU_PREFS="$work/first.prf" timeout 120 "$work/prog/meru" >first.out 2>first.err &
first=$!
if wait_for 60 "the first copy to wait for the user" grep -qF "script 2: wait 60000" first.err; then
  printf 'answer ok\n' > second.txt
  run_program second 1 "$work/prog/meru" MERU_PREFS="$work/first.prf"
  expect_line second "Cannot find MERUKEY.TXT or is in use, possibly MERU already running"
  # Another user's copy (its own preferences file) runs beside it.
  printf 'dismiss\nmenu File > Exit\n' > other.txt
  run other prog 0
  kill -0 "$first" 2>/dev/null || fail "the first copy ended before the second and the other copy had run"
fi
kill "$first" 2>/dev/null
wait "$first" 2>/dev/null
no_sanitizer_report first

finish "all scripted runs of MERU as expected"
