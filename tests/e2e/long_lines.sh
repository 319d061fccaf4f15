#!/usr/bin/env bash
# Lines of 128 MiB under a limit of 512 MiB on the program's address space (not
# for sanitizer builds, which reserve far more than they use): a data line of too
# many items is refused by its line, a data line that is one long item is read
# (its first 30 characters), a names line longer than names may be is refused,
# and so is a control file that is one long line; the program goes on.
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
{
  printf 'dismiss\n'
  printf 'menu File > New\nfile %s\ndismiss\n' "$work/items.csv" "$work/item.csv"
  printf 'menu File > %s\nanswer yes\nfile %s\ndismiss\n' New "$work/names.csv" Open "$work/long.mrc" \
    Open "$work/kyphosis.mrc"
} > "$work/long.txt"
limit=$((512 << 10))
ldd "$meru" | grep -qE 'lib(a|ub|t)san' && limit=unlimited
printf '#!/usr/bin/env bash\nulimit -v %s && exec "%s"\n' "$limit" "$meru" > "$work/limited"
chmod +x "$work/limited"
run_program long 0 "$work/limited"

expect_line long "Reading data abandoned. Possibly # vars not matched to data: too many items on line 3 of items.csv"
grep -qxF "Reading data abandoned. Possibly # vars not matched to data: too many items on line 3 of items.csv" \
  "$work/ITEMS.LOG" || fail "ITEMS.LOG does not name the line refused"
# x is 1, the long item's first 30 digits (1.1E+29) and 3: its maximum.
grep -qE '^ x .* \.1111E\+30$' "$work/ITEM.LOG" || fail "item.csv: not read, or not its item's first 30 characters"
expect_line long "The variable names take more than 5000 characters."
expect_line long "Variable names not read: line 1 of names.csv is longer than 5000 characters"
expect_line long "Fatal error in .MRC file. File ignored: long.mrc (line 1 is longer than 65536 characters)"
grep -qF "%Attribute frequencies:" "$work/KYPHOSIS.LOG" || fail "kyphosis.mrc not opened after the long lines"

finish "long lines: refused by their line, or read, in bounded memory; the program goes on"
