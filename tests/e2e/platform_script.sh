#!/usr/bin/env bash
# Scripted runs of the platform's test program (built next to meru): the run ends
# with status 0 at the script's end, 3 when the script does not fit what the program
# waits for, 4 when the program stops waiting for the user; a shot of the frame is
# a PNG. Arguments: the meru executable, the source folder.
host="$(cd "$(dirname "$1")" && pwd)/meru_script_host"
[ -x "$host" ] || { echo "no test program at $host"; exit 1; }
source "$(dirname "$0")/lib/common.sh"
cd "$work"

# run NAME EXPECTED-STATUS [VAR=VALUE...]: runs the script NAME.txt, output in NAME.err
run() {
  local name=$1 expect=$2
  shift 2
  run_program "$name" "$expect" "$host" "$@"
}

touch data.mrc
cat > full.txt <<SCRIPT
# every kind of action, in order
menu File > Open
file $work/data.mrc
menu Test > Dialog
dialog Test dialog
  set Name: = hello there
  set Variables = 2, BMI
  set Verbose = on
  press OK
menu Test > Dialog
dialog 9000
  press esc
menu Test > Message
answer cancel
menu Test > Question
answer yes
menu Options
menu Test > Plot
click Plot 30 40
wait 50
key Plot Esc
shot frame frame.png
shot Plot plot.png
SCRIPT
run full 0
expect_line full "host: opened $work/data.mrc"
expect_line full "host: dialog 1 name=hello there list=2,3 verbose=on changes=2"
expect_line full "host: dialog 2 name=hello there list=2,3 verbose=on changes=0"
expect_line full "Fatal error in .MRC file. File ignored"
expect_line full "host: message 2"
expect_line full "host: question yes"
expect_line full "host: options"
expect_line full "host: click 30 40"
expect_line full "host: plot closed"
size=$(png_size frame.png)
case "$size" in
  ""|0x*|*x0) fail "frame.png is not a PNG of the frame ($size)" ;;
esac
[ "$(png_size plot.png)" = "640x480" ] || fail "plot.png is not the 640x480 canvas ($(png_size plot.png))"

# File > Exit ends the run with 0; what follows is never taken.
printf 'menu File > Exit\nmenu Test > Message\n' > exit.txt
run exit 0
grep -q "script 2" exit.err && fail "exit: an action after File > Exit was taken"

# An answer where the program waits at the idle poll.
printf 'menu Options\nanswer yes\n' > mismatch.txt
run mismatch 3
expect_line mismatch 'script line 2: "answer yes" does not fit: the program waits at the idle poll (a menu action fits)'

# The script ends while a message box waits.
printf 'menu Test > Message\n' > runout.txt
run runout 3
expect_line runout 'script: the script has ended while the program waits at message box "Fatal erro...."'

# A menu while a graphics window polls the mouse; its menus are grey meanwhile.
printf 'menu Test > Plot\nmenu Test > Message\n' > poll.txt
run poll 3
expect_line poll "does not fit: the program waits at a window's mouse or key poll (click, key or close fits)"

# A dialog that is not the one shown.
printf 'menu Test > Dialog\ndialog 131\n press OK\n' > wrongdialog.txt
run wrongdialog 3
expect_line wrongdialog 'script line 2: "dialog 131" does not fit: the program waits at dialog 9000 "Test dialog"'

# A script with a mistake is refused before the program starts waiting.
printf 'menu Test > Dialog\njump\n' > badscript.txt
run badscript 3
expect_line badscript "line 2: unknown action \"jump\""

# A long computation that never waits for the user.
printf 'menu Test > Hang\nmenu Options\n' > hang.txt
start=$(date +%s)
run hang 4 MERU_SCRIPT_TIMEOUT=1
expect_line hang "script: the program has not waited for the user within 1 s"
grep -q "host: hang over" hang.err && fail "hang: the computation ran to its end"
[ $(( $(date +%s) - start )) -le 10 ] || fail "hang: the time-out took too long"

finish "all scripted runs as expected"
