#!/usr/bin/env bash
# Lines of 128 MiB, under a limit of 512 MiB on the program's address space: a
# data line of many items is refused by its line number, a data line that is one
# long item is read (the item keeps its first 30 characters), a names line longer
# than the names may be is refused as soon as it passes that, and so is a control
# file that is one long line. After each the program goes on and opens a good
# file. Sanitizer builds reserve far more address space than they use: they run
# without the limit.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"

# line TEXT: TEXT repeated to 128 MiB, without a line end.
line() { yes "$1" | tr -d '\n' | head -c $((128 << 20)); }
{ printf 'x,y\n1,2\n'; line 12345678,; printf '\n3,4\n'; } > "$work/items.csv"
{ printf 'x,y\n1,2\n'; line 1; printf ',5\n3,4\n'; } > "$work/item.csv"
{ line a,; printf 'b\n1,2\n'; } > "$work/names.csv"
line '*' > "$work/long.mrc"
cp "$src/examples/kyphosis.mrc" "$src/examples/kyphosis.csv" "$work/"

# The analysis of item.csv stays open through the refusals that follow it: each
# opening after it asks whether to end it.
cat > "$work/long.txt" <<EOF
dismiss
menu File > New
file $work/items.csv
dismiss
menu File > New
file $work/item.csv
dismiss
menu File > New
answer yes
file $work/names.csv
dismiss
menu File > Open
answer yes
file $work/long.mrc
dismiss
menu File > Open
answer yes
file $work/kyphosis.mrc
dismiss
EOF
limit=$((512 << 10))
ldd "$meru" | grep -qE 'lib(a|ub|t)san' && limit=unlimited
(ulimit -v "$limit" && run_program long 0 "$meru")

expect_line long "Reading data abandoned. Possibly # vars not matched to data: too many items on line 3 of items.csv"
grep -qxF "Reading data abandoned. Possibly # vars not matched to data: too many items on line 3 of items.csv" \
  "$work/ITEMS.LOG" || fail "ITEMS.LOG does not name the line refused"
grep -qF " n=      3 on    2 vars read from      3 records" "$work/ITEM.LOG" || fail "item.csv: not read"
# x is 1, the long item's first 30 digits (1.1E+29) and 3: its maximum.
grep -qE '^ x .* \.1111E\+30$' "$work/ITEM.LOG" || fail "item.csv: the long item is not its first 30 characters"
expect_line long "The variable names take more than 5000 characters."
expect_line long "Variable names not read: line 1 of names.csv is longer than 5000 characters"
expect_line long "Fatal error in .MRC file. File ignored: long.mrc (line 1 is longer than 65536 characters)"
grep -qF "%Attribute frequencies:" "$work/KYPHOSIS.LOG" || fail "kyphosis.mrc not opened after the long lines"

finish "long lines: refused by their line, or read, in bounded memory; the program goes on"
