#!/usr/bin/env bash
# `shot frame` shows the frame as the user sees it: with its menu bar from the
# first shot on, and with the help topic, message box or question the program
# waits at drawn on it; `dismiss` echoes the text of the help topics it closes.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
cd "$work"
export MERU_PREFS="$work/meru.prf"
cp "$src/examples/kyphosis.mrc" "$src/examples/kyphosis.csv" "$work/"

cat > shots.txt <<SCRIPT
shot frame $work/topic.png
dismiss
menu File > Open
file $work/kyphosis.mrc
shot frame $work/box.png
dismiss
menu File > Exit
shot frame $work/question.png
answer no
shot frame $work/idle.png
SCRIPT
run_program shots 0 "$meru"
# The start-up topic's text, echoed as dismiss closed it.
expect_line shots "M E R U  -  searching Boolean partitions of a data set"

pixel() { "$probe" "$work/$1" "$2" "$3"; }
for f in topic box idle question; do
  [ -n "$(png_size "$f.png")" ] || fail "$f.png is not a picture"
done
# The menu bar's background right of its last title, as at the idle poll.
[ "$(pixel topic.png 760 8)" = "$(pixel idle.png 760 8)" ] || fail "the first shot has no menu bar"
# The middle of the frame: the modal window drawn there, the bare frame at the idle poll.
size=$(png_size idle.png)
cx=$((${size%x*} / 2)) cy=$((${size#*x} / 2))
for f in box question; do
  [ "$(png_size "$f.png")" = "$size" ] || fail "$f.png is not the frame's size"
  [ "$(pixel "$f.png" "$cx" "$cy")" != "$(pixel idle.png "$cx" "$cy")" ] || fail "$f.png does not show the $f"
done
finish "frame shots show the modal windows"
