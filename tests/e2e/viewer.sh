#!/usr/bin/env bash
# Scripted runs of the text viewer on the kyphosis example: View > Output pages,
# finds a heading, goes to the first section and leaves with Esc; View > Other
# files views the log itself; View > Data and View > .MRC file show their files
# and are left by the Esc button and by a right click. (A key the viewer ignores,
# "x", lets a picture be taken once the viewer polls.) The log keeps being
# written after every viewing, and the menus come back (the next menu items can
# be chosen). Pictures: the rows' colours are read at the right edge of each row,
# away from the text, and checked against the colours the log's lines call for.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"
export MERU_SCRIPT_TIMEOUT=60
shots="${MERU_E2E_SHOTS:-$work}"

run() { run_program "$1" 0 "$meru"; }

has() { grep -qF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""; }

# pixel PNG X Y COLOUR: the picture's pixel (X, Y) is COLOUR (0xBBGGRR).
pixel() {
  local got
  got=$("$probe" "$1" "$2" "$3")
  [ "$got" = "$4" ] || fail "$(basename "$1") ($2, $3): $got, expected $4"
}

# The background a log line gets at the right edge of its row (x = 630): the
# bar of a coloured row ends after its text unless the row starts with "%" or a
# blank, or its colour is white or black.
edge_colour() {
  local line=$1
  case "$line" in
    *-----*) echo 0xffffff ;;
    "%time"*) echo 0xffffff ;;
    "%"*) echo 0xaaffaa ;;
    " "* | "" | NOTE* | "+"* | ERRO* | 1*) echo 0xffffff ;;
    2*) echo 0xeeeeee ;;
    *) if [ ${#line} -ge 90 ]; then echo 0x99ffff; else echo 0xffffff; fi ;;
  esac
}

# rows PNG LOG FIRST [HIGHLIGHT]: every text row of a log page whose first line is
# line FIRST (1-based) of LOG, and the grey rows after the end.
rows() {
  local png=$1 log=$2 first=$3 highlight=${4:-0}
  local total r line want
  total=$(wc -l <"$log")
  for r in $(seq 2 45); do
    line=$((first + r - 2))
    if [ "$line" -gt "$total" ]; then
      want=0xaaaaaa
    elif [ "$line" -eq "$highlight" ]; then
      want=0x000000
    else
      want=$(edge_colour "$(sed -n "${line}p" "$log")")
    fi
    pixel "$png" 630 $((14 * r - 7)) "$want"
  done
}

cp "$src"/examples/kyphosis.* "$work/"
log="$work/KYPHOSIS.LOG"

cat >"$work/view.txt" <<EOF
dismiss
menu File > Open
file $work/kyphosis.mrc
dismiss
menu View > Output KYPHOSIS.LOG
dismiss
key 57 x
shot 57 $work/open.png
key 57 PgDn
shot 57 $work/pgdn.png
click 57 110 5
shot 57 $work/pgup.png
click 57 335 5
dialog Find string
  set Enter string = Attribute frequencies
  press OK
shot 57 $work/find.png
click 57 515 5
dialog View Sections of output log
  set 1007 = 1
  press OK
shot 57 $work/goto.png
key 57 Esc
menu View > Other files
file $log
key 57 1
key 57 Esc
menu View > Data kyphosis.csv
shot 92 $work/data.png
click 92 10 5
menu View > Control $work/kyphosis.mrc
shot 91 $work/control.png
click 91 300 300 right
menu Help > About MERU
dismiss
menu View > Output KYPHOSIS.LOG
key 57 1
key 57 2
shot 57 $shots/viewer_log.png
key 57 Esc
EOF
run view

# The log was written on after each viewing: the notes shown while viewing and
# the help topic after it are its last lines, in order.
has "$log" "%Attribute frequencies:"
[ "$(tail -1 "$log")" = "M E R U" ] || fail "the log's last line is \"$(tail -1 "$log")\", not the help topic read after viewing"
grep -q "^NOTE: Output file" "$log" || fail "the log lacks the note read in the viewer"
expect_line view "progress: ..viewing output log  KYPHOSIS.LOG"
expect_line view "progress: ..viewing data  "
expect_line view "progress: expecting input in View "

for png in open pgdn pgup find goto data control; do
  [ "$("$probe" "$work/$png.png" size)" = "640x630" ] || fail "$png.png is not the 640x630 viewer"
done

# The log's bar has 13 buttons (faces alternate 0xbbbbbb, 0xcccccc), the others 12.
# Read at each face's right end, after its word.
pixel "$work/open.png" 43 7 0xbbbbbb
pixel "$work/open.png" 88 7 0xcccccc
pixel "$work/open.png" 583 7 0xbbbbbb
pixel "$work/open.png" 600 7 0xffffff
pixel "$work/data.png" 538 7 0xcccccc
pixel "$work/data.png" 583 7 0xffffff

# Where each page starts (1-based lines of the log): the log opens at its last
# time line as the page's second line, and that page reaches the end, so PgDn
# does nothing; Find shows the heading
# found as the second line, highlighted; Goto the first section's time line
# (line 2) as the second line.
last_time=$(grep -n '^%time' "$log" | head -n "$(grep -c '^%time' "$log")" | tail -1 | cut -d: -f1)
heading=$(grep -n '^%Attribute frequencies:' "$log" | cut -d: -f1)
# The log as the viewer saw it: up to the note read while viewing.
seen=$(($(grep -n '^NOTE: Output file' "$log" | head -1 | cut -d: -f1) - 1))
head -n "$seen" "$log" >"$work/seen.log"
last_time=$(grep -n '^%time' "$work/seen.log" | tail -1 | cut -d: -f1)
rows "$work/open.png" "$work/seen.log" $((last_time - 1))
rows "$work/pgdn.png" "$work/seen.log" $((last_time - 1))
rows "$work/find.png" "$work/seen.log" $((heading - 1)) "$heading"
rows "$work/goto.png" "$work/seen.log" 1

# The data viewer: the name row (row 2) and the data rows on white.
pixel "$work/data.png" 630 21 0xffffff
pixel "$work/data.png" 630 35 0xffffff

# The acceptance picture: End, then one line down, so that the last page holds
# the last section's heading, its time line, results, the notes read while
# viewing, and one grey row past the end.
rows "$shots/viewer_log.png" "$log" $(($(wc -l <"$log") - 42))

finish "viewer: all checks passed"
