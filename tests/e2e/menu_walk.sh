#!/usr/bin/env bash
# A walk through the twelve menus, item by item: once before an analysis is
# open (File, Options, View, Window and Help are the menus a user can reach),
# once with kyphosis open (an identifier column added so that Process > Lists
# is offered), through Y, Criteria, Rank, Strategy, Search:Go! to its end and
# every Process item on the winner, and once more from the recent-file item of
# the File menu. Each row chooses an item and answers what
# it shows (Cancel, Esc or OK); an answer that does not fit what the program
# shows ends the run with status 3, so every row checks that its item reached
# its own routine. A row may also name a line its routine writes (to standard
# error, or "log:" to the output log). Rows run in menu order and Window >
# Cascade ends each run, so an item that leaves menus 3 to 12 greyed is caught
# by the next choice of one of them.
# Arguments: the meru executable, the source folder, pngprobe.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
probe="$3"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=60
export MERU_PREFS="$work/meru.prf"
export MERU_YIELD_MS=0
# The outside programs: an editor that returns at once and a web opener that
# records the page it was asked to show.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$1" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH" EDITOR=true VISUAL=true

# row EXPECT LINE...: appends the row's script lines to $script and its expected
# text to $expects ("" for none; "log:TEXT" for a line of the output log).
row() {
  expects+=("$1")
  shift
  printf '%s\n' "$@" >>"$work/$script.txt"
}
# check NAME LOG: the run's expected texts.
check() {
  local e
  for e in "${expects[@]}"; do
    case "$e" in
    "") ;;
    log:*) grep -qF -- "${e#log:}" "$2" || fail "$1: no log line \"${e#log:}\"" ;;
    *) expect_line "$1" "$e" ;;
    esac
  done
}

# Before an analysis is open.
script=closed expects=()
row "" "dismiss"
row "" "menu File > New" "file cancel"
row "Save As only saves currently in focus window as bitmap" "menu File > Save As" "answer yes" \
  "file $work/saved.png"
row "Prints only currently in focus window" "menu File > Print" "answer yes" "file $work/printed.pdf"
# A picture saved through a link to a pipe is refused; the link and the pipe stay.
mkfifo "$work/pipe" && ln -s pipe "$work/pipe.png"
row "Cannot write $work/pipe.png (not a regular file)" "menu File > Save As" "answer yes" "file $work/pipe.png" \
  "answer ok"
row "" "menu Options" "dialog Options" "  press Cancel"
row "progress: ..viewing output log" "menu View > Output" "dismiss" "file cancel"
row "progress: ..viewing data" "menu View > Data" "dismiss" "file cancel"
row "" "menu View > .MRC file" "dismiss" "file cancel"
row "" "menu View > Other files" "file cancel"
row "" "menu Window > Tile"
row "M E R U" "menu Help > About MERU" "dismiss"
row "" "menu Help > Topics" "dialog Help Topics" "  press Quit"
row "About to open the page in your web browser" "menu Help > Website" "answer ok"
row "" "menu Help > Manual" "answer ok"
row "Running the web browser. MERU suspended." "menu Help > FAQs" "answer ok"
row "" "menu Help > Tip of the Day" "dialog Tip of the Day Topic" "  press OK"
row "" "menu Window > Cascade"
run_program closed 0 "$meru"
check closed /dev/null
[ "$(wc -l <"$work/opened" 2>/dev/null)" = 3 ] || fail "closed: Website, Manual and FAQs did not each open a page"
[ "$(png_size "$work/saved.png")" = "500x60" ] || fail "closed: Save As did not save the progress window"
[ "$(head -c 5 "$work/printed.pdf" 2>/dev/null)" = "%PDF-" ] || fail "closed: Print did not print to the file"
[ -L "$work/pipe.png" ] && [ -p "$work/pipe" ] || fail "closed: Save As replaced the pipe or its link"

# With kyphosis open; observation numbers as identifiers.
cp "$src/examples/kyphosis.mrc" "$work/"
awk -F, 'BEGIN { OFS = "," } { sub(/\r$/, ""); print (NR == 1 ? "_id_" : NR - 1), $0 }' \
  "$src/examples/kyphosis.csv" >"$work/kyphosis.csv"
log="$work/KYPHOSIS.LOG"
script=open expects=()
row "" "dismiss"
row "n= 81 on 4 vars read from 81 records" "menu File > Open" "file $work/kyphosis.mrc" "dismiss"
row "progress: ...running true" "menu Edit > Edit $work/kyphosis.mrc" "answer no"
row "" "menu Edit > Edit file" "file $work/kyphosis.csv"
row "" "menu Edit > Select Graphic"
row "" "menu Edit > Select All"
row "" "menu Edit > Copy"
row "Cancel Training Sample dialog: Data set is not split" \
  "menu Edit > Split sample" "dialog Training sample" "  press Cancel" "dismiss"
row "" "menu Edit > Bootstrap sample" "dismiss"
row "" "menu Edit > Un-bootstrap sample" "dismiss"
row "" "menu Y > Distribution" "dialog Variable for distribution" "  press Cancel"
row "" "menu Y > Scatterplot/Cross-tab" "dialog Scatter diagram" "  press Cancel"
row "" "menu Y > Transform" "dialog Transform: Create a new variable" "  press Cancel"
row "" "menu Y > By group/cross-validate" "dialog By group analysis variable" "  press Cancel"
row "log:%Y:Select" "menu Y > Select Y" "dialog Select  Y variable(s)" "  set 1000 = kyphosis" "  press OK" \
  "answer no" "dismiss"
row "" "menu Y > Ok : kyphosis"
row "log: Chi-square ; gamma= 0.000" "menu Criteria" "dialog Criteria" "  set Criterion = Chi-square" "  press OK" \
  "dismiss"
row "log:%Rank:Ranked attributes plot" "menu Rank > Attribute Rank Plot" "click 12 10 5"
# Under Detailed output Fix Positive attributes shows the log afterwards.
row "log:%Options" "menu Options" "dialog Options" "  set Detailed output = on" "  press OK"
row "log:%Rank:Fix Positive attributes" \
  "menu Rank > Fix Positive attributes" "dialog Rank:Fix Positive attributes" "  press OK" "dismiss" "key 57 Esc"
row "" "menu Options" "dialog Options" "  set Detailed output = off" "  press OK"
row "log:%Rank:Cuts v effectiveness plot" "menu Rank > Effectiveness v Cuts plot" "dialog 399" "  press Cancel"
row "log:%Rank:ROC curves" "menu Rank > ROC curves" "dialog ROC: select variable" "  press Cancel"
row "log:%Rank:QROC curves" "menu Rank > QROC curves" "dismiss" "dialog QROC: Select variable" "  press Cancel"
row "" "menu Strategy" "dialog Strategy" "  press OK"
# Two iterations, each ending at its hull window.
row "log:%Search Summary" "menu Search > Go!" "dismiss" "click 15 20 8" "click 15 20 8"
row "log:%Search:Go! Search no.    2" "menu Search > Go!" "at busy 3 menu Search > End" "dismiss"
best="dialog Select partition
  set Optimal Complexity penalised = on
  press OK"
row "log:%Process:rectangle diagram" "menu Process > Rectangle diagrams" "$best" "dialog Rectangle diagrams" \
  "  press OK" "dismiss" "click 16 10 5"
row "log:%Process:listing observations" "menu Process > Lists" "$best" "dismiss" "key 57 Esc"
row "log:%Process:distribution" "menu Process > Distribution A v. A-" "$best" "dismiss" \
  "shot 49 $work/distribution.png"
row "log:%Process:statistics" "menu Process > Statistics" "$best" "dismiss" "key 57 Esc"
row "log:%Process:random" "menu Process > Random" "dismiss" "dialog Random partitions" "  press Cancel"
row "log:%Process:create added attribute" "menu Process > Create added attribute" "$best" "dismiss"
row "log:%View:Added attributes" "menu View > Added attributes" "dialog Select attribute" "  set 1007 = 1" \
  "  press OK" "dismiss"
row "log: There are      53(  65.43%) training observations" "menu Edit > Split sample" "dialog Training sample" \
  "  set Repeatable random sample = on" "  press OK" "answer ok"
row "log:Analysis is now on the test sample" "menu Process > Switch to Test sample"
row "" "menu Options" "dialog Options" "  press Cancel"
row "progress: ..viewing output log  KYPHOSIS.LOG" "menu View > Output KYPHOSIS.LOG" "dismiss" "key 57 Esc"
row "" "menu View > Data kyphosis.csv" "click 92 10 5"
row "" "menu View > Control $work/kyphosis.mrc" "click 91 10 5"
row "" "menu View > Other files" "file cancel"
row "" "menu Window > Tile"
row "" "menu Window > KYPHOSIS.LOG" "dismiss" "key 57 Esc"
row "" "menu Window > kyphosis.csv" "click 92 10 5"
row "" "menu Window > $work/kyphosis.mrc" "click 91 10 5"
row "" "menu Window > I'm thinking"
row "" "menu Window > Partition"
row "" "menu Window > Rectangle diagram"
row "" "menu Window > Process:Distribution"
row "" "menu Help > About MERU" "dismiss"
row "" "menu Help > Tip of the Day" "dialog Tip of the Day Topic" "  press OK"
# Every menu a user had at the start is usable again at the end.
row "" "menu Y > Distribution" "dialog Variable for distribution" "  press Cancel"
row "" "menu Criteria" "dialog Criteria" "  press Cancel"
row "" "menu Rank > Effectiveness v Cuts plot" "dialog 399" "  press Cancel"
row "" "menu Strategy" "dialog Strategy" "  press Cancel"
row "" "menu Process > Random" "dialog Random partitions" "  press Cancel"
row "" "menu File > Exit" "answer no"
row "Current analysis will terminate saving only .log file KYPHOSIS.LOG" "menu File > New" "answer no"
row "" "menu Window > Cascade"
run_program open 0 "$meru"
check open "$log"
[ "$(png_size "$work/distribution.png")" = "600x520" ] || fail "open: no distribution window of A and A-"

# The recent file the last run left: its control file now holds the added
# attribute +01 as a combination, which the opening offers to make again.
script=again expects=()
row "" "dismiss"
row "log:  Added  attribute: +01      is created" "menu File > $work/kyphosis.mrc" "dismiss" \
  "dialog Select partition" "  set Control file combination = on" "  press OK" \
  "dialog Control file combination" "  set 8535 = 1" "  press OK" "dismiss"
row "" "menu Window > Cascade"
run_program again 0 "$meru"
check again "$log"

finish "menu_walk: all passed"
