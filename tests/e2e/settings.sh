#!/usr/bin/env bash
# Scripted runs of the settings dialogs on birthwt (its first column `low` is
# binary, so the default Y is binary): Options with its log block and options
# line; after Y:OK, Criteria (equal priors, the quality index's costs and r),
# Strategy (Top m refusals and truncation) and Extent (the order refusal, the
# float-level clamp, the accepted lines), each checked in the log.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_SCRIPT_TIMEOUT=60
export MERU_PREFS="$work/meru.prf"

# run NAME EXPECTED-STATUS: runs the script NAME.txt; standard error in NAME.err
run() { run_program "$1" "$2" "$meru"; }
# has FILE TEXT: the file holds a line equal to TEXT
has() {
  grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""
}
# err NAME TEXT: the run's standard error holds TEXT
err() {
  grep -qF -- "$2" "$work/$1.err" || fail "$1: no \"$2\" on standard error"
}

cp "$src/examples/birthwt.mrc" "$src/examples/birthwt.csv" "$work/"
log="$work/BIRTHWT.LOG"
open="dismiss
menu File > Open
file $work/birthwt.mrc
dismiss"

# Options: Detailed output, full reduction and "Skip if any missing in combination".
cat > "$work/options.txt" <<SCRIPT
$open
$(settings_block detailed=on skipcomb=on fullred=on)
SCRIPT
run options 0
has "$log" "%Options"
has "$log" " Missing attributes handled by: Skip if missing in combination"
has "$log" " Detailed output           Yes"
has "$log" " Tip of Day                No"
# Columns: full reduction, primitive, tied (on at start-up), detailed output,
# skip in set, skip in combination, tip of the day.
[ "$(grep -v '^#' "$MERU_PREFS" | head -1)" = "TFTTFTF" ] || fail "options line: $(grep -v '^#' "$MERU_PREFS" | head -1)"

# Cancel writes nothing.
cp "$MERU_PREFS" "$work/prefs.before"
cat > "$work/options_cancel.txt" <<SCRIPT
$open
menu Options
dialog Options
  set Full Boolean reduction = on
  press Cancel
SCRIPT
run options_cancel 0
cmp -s "$MERU_PREFS" "$work/prefs.before" || fail "Options Cancel changed the preferences file"
grep -qF "%Options" "$log" && fail "Options Cancel wrote the %Options block"

cat > "$work/settings.txt" <<SCRIPT
$open
menu Y > Ok  low
answer no
dismiss
$(settings_block criterion=Entropy equal_priors=on)
$(settings_block criterion="Quality index QI(r)" data_priors=on)
answer ok
dialog Criteria
  press OK
answer ok
$(settings_block top=all)
answer ok
dialog Strategy
  set Top m attributes: = 0
  press OK
answer ok
dialog Strategy
  set Top m attributes: = 99
  press OK
answer ok
menu Strategy
dialog Strategy
  press Set Extent Parameters
dialog Extent Parameters
  set Size p_1,..,p_q = 2 3
  press OK
answer ok
dialog Extent Parameters
  set Size p_1,..,p_q = 3,2
  set Float levels (1-3) of attributes with multiple cuts = 5
  press OK
answer ok
dialog Extent Parameters
  press OK
dialog Strategy
  press OK
menu Search > Go!
dismiss
wait 1000
SCRIPT
run settings 0
has "$log" "%Criteria"
has "$log" " Prior probabilities specified:"
has "$log" "     0     0.50"
has "$log" "     1     0.50"
err settings "Quality index. Must have costs specified!"
has "$log" " Value of r, for QI(r), calculated from costs is r = 0.50"
has "$log" "%Strategy"
err settings "Need a number m in Top m box"
err settings "Top m too large. Truncated to # attributes"
has "$log" " Top m attributes, m=  22"
has "$log" "%Extent"
err settings "ERROR: p_1..p_q not in descending order."
err settings "Float levels takes a whole number 1, 2 or 3"
has "$log" " Up to size p_1,..p_q=3,2"
has "$log" "Floating best 3 cuts"
# Search:Go! passes the valid criteria silently and goes on through the rank
# stage to the search, naming the options kept from the first run that change
# its sample and its partitions.
has "$log" " Criteria:"
has "$log" " Missing attributes handled by: Skip if missing in combination"
has "$log" " Full Boolean reductions   Yes"

finish "settings: all passed"
