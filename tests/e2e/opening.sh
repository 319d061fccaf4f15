#!/usr/bin/env bash
# Scripted runs that open the example data sets: each through its control file
# (File:Open) and as a data file (File:New, which writes a default control file),
# checking the log's first lines, a variable's statistics and an attribute's
# frequencies against values counted from the CSV files; then control files with
# errors, a bad data file, the control file edited and read again, and the
# same analysis opened again.
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"

# run NAME EXPECTED-STATUS: runs the script NAME.txt; standard error in NAME.err
run() { run_program "$1" "$2" "$meru"; }

# has FILE TEXT: the file holds a line containing TEXT
has() {
  grep -qF -- "$2" "$1" 2>/dev/null || { fail "$1: no line \"$2\""; }
}
# line FILE N TEXT: line N of the file is TEXT
line() {
  local got
  got=$(sed -n "${2}p" "$1" 2>/dev/null)
  [ "$got" = "$3" ] || fail "$1 line $2: \"$got\", expected \"$3\""
}

# The first lines every new log has: heading, time line, date, version, name.
preamble() {
  local log=$1 heading=$2 name=$3
  line "$log" 1 "$heading"
  grep -qE '^%time[ 0-9][0-9]:[0-9]{2}:[0-9]{2}:[0-9]{2}$' <(sed -n 2p "$log") || fail "$log: line 2 is not a time line"
  grep -qE '^ Date [ 0-9][0-9]/[0-9]{2}/[0-9]{4}$' <(sed -n 3p "$log") || fail "$log: line 3 is not the date line"
  line "$log" 4 "MERU Output log from version 0110701"
  line "$log" 5 " This output file is: $name"
}

# Expected values per example: records counted (with the names line), one
# interval variable's statistics row and one attribute's frequencies (Python's
# csv module on the data file: mean, population standard deviation, counts).
declare -A records stats freq
records[kyphosis]=82;  stats[kyphosis]=" age              0       81  83.65      57.74      1.000      206.0"
records[lung]=229;     stats[lung]=" meal_cal        47      181  928.8      401.1      96.00      2600."
records[pima]=533;     stats[pima]=" glu              0      532  121.0      30.97      56.00      199.0"
records[birthwt]=190;  stats[birthwt]=" lwt              0      189  129.8      30.50      80.00      250.0"
records[votes84]=436;  stats[votes84]=" v02            48      387  0(  192) 1(  195)"
records[bcw]=700;      stats[bcw]=" barenuc         16      683  3.545      3.641      1.000      10.00"
freq[kyphosis]="age >20                       62  age <=20                      19                0"
freq[lung]="sex _male                    138  sex ^male                     90                0"
freq[pima]="bmi >30                      342  bmi <=30                     190                0"
freq[birthwt]="age >25                       54  age <=25                     135                0"
freq[votes84]="v02 =1                       195  v02 =0                       192               48"
freq[bcw]="thick >5                     186  thick <=5                    513                0"
declare -A csv=([kyphosis]=kyphosis.csv [lung]=lung.csv [pima]=pima_mass.csv [birthwt]=birthwt.csv
                [votes84]=votes84.csv [bcw]=bcw_orig.csv)

# Through the control files.
mkdir "$work/cf"
cp "$src"/examples/*.mrc "$src"/examples/*.csv "$work/cf/"
for ex in kyphosis lung pima birthwt votes84 bcw; do
  printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\n' "$work/cf/$ex.mrc" > "$work/open_$ex.txt"
  run "open_$ex" 0
  log="$work/cf/${ex^^}.LOG"
  preamble "$log" "%File:Open $work/cf/$ex.mrc" "${ex^^}.LOG"
  has "$log" " # lines of data =$(printf '%7d' "${records[$ex]}")"
  has "$log" "${stats[$ex]}"
  has "$log" "${freq[$ex]}"
  has "$log" "%Attribute frequencies:"
  grep -q "Mis-match" "$log" && fail "$log: the record count does not match the records read"
done
grep -qx "$work/cf/bcw.mrc" "$MERU_PREFS" || fail "the recent list does not hold the last control file opened"

# Help after an opening, which changes the current folder, still reads the
# help text.
printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\nmenu Help > About MERU\ndismiss\n' \
  "$work/cf/kyphosis.mrc" > "$work/help_after.txt"
run help_after 0
has "$work/cf/KYPHOSIS.LOG" "M E R U"
grep -q "Error reading help file" "$work/cf/KYPHOSIS.LOG" && fail "help_after: the help text cannot be read after an opening"

# As data files through File:New: the default control file is made beside the
# data file and the analysis is read from it.
mkdir "$work/new"
cp "$src"/examples/*.csv "$work/new/"
for ex in kyphosis lung pima birthwt votes84 bcw; do
  base=${csv[$ex]%.csv}
  printf 'dismiss\nmenu File > New\nfile %s\ndismiss\n' "$work/new/${csv[$ex]}" > "$work/new_$ex.txt"
  run "new_$ex" 0
  [ -f "$work/new/$base.mrc" ] || { fail "no default control file $base.mrc"; continue; }
  has "$work/new/$base.mrc" "free comma"
  log="$work/new/${base^^}.LOG"
  # One log holds both readings: the data file's, which made the control file,
  # then the control file's.
  preamble "$log" "%File:New ${csv[$ex]}" "$(basename "$log")"
  has "$log" "NOTE: Default .mrc file is created"
  [ "$(grep -c '^%File:Open' "$log")" = 1 ] || fail "$log: not one %File:Open heading"
  has "$log" "%File:Open $work/new/$base.mrc"
  has "$log" " # lines of data =$(printf '%7d' "${records[$ex]}")"
  has "$log" "%Attribute frequencies:"
  grep -q "No associated .mrc file" "$work/new_$ex.err" && fail "new_$ex: File:New announced the default control file"
done

# A control file with errors: the count of notes, and the program goes on to
# open another file.
cat > "$work/cf/bad.mrc" <<EOF
Errors
*
age i 20
nosuch i 1
other i 2
*
free comma
kyphosis.csv
EOF
printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\nmenu File > Open\nanswer yes\nfile %s\ndismiss\n' \
  "$work/cf/bad.mrc" "$work/cf/kyphosis.mrc" > "$work/bad.txt"
run bad 0
has "$work/bad.err" "notes or errors in control file. View log"
has "$work/cf/BAD.LOG" "%File:Open $work/cf/bad.mrc"
preamble "$work/cf/KYPHOSIS.LOG" "%File:Open $work/cf/kyphosis.mrc" "KYPHOSIS.LOG"

# A control file sized beyond the limits is refused; the open analysis and its
# log stay, and the next file opens.
printf 'Huge\n*\nx1:9999 i 1 2\n*\nfree comma\nkyphosis.csv\n' > "$work/cf/huge.mrc"
printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\nmenu File > Open\nanswer yes\nfile %s\ndismiss\nmenu Y > Distribution\ndialog Variable for distribution\n  press Cancel\n' \
  "$work/cf/kyphosis.mrc" "$work/cf/huge.mrc" > "$work/huge.txt"
run huge 0
has "$work/huge.err" "# attributes=29998"
[ -f "$work/cf/HUGE.LOG" ] && fail "huge: a log was made for a refused control file"
has "$work/cf/KYPHOSIS.LOG" "%Attribute frequencies:"

# A fixed-format data file with an unreadable record: the message, the log
# closed, and nothing reaches the data (the Y menu is grey).
# (good records first: a NUL at the file's start refuses the file before the log)
{ for i in $(seq 700); do printf '  1  2\n'; done; printf '  3\000 4\n'; } > "$work/cf/fixed.dat"
printf 'Fixed\na b\n*\na i 2\n*\n(2F3.0)\nfixed.dat\n' > "$work/cf/fixed.mrc"
printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\nmenu Y > Distribution\n' "$work/cf/fixed.mrc" > "$work/fixed.txt"
run fixed 3
has "$work/fixed.err" "ERROR: Cannot read data - FORMAT statement may be wrong"
has "$work/cf/FIXED.LOG" "ERROR: Cannot read data - FORMAT statement may be wrong"

# Edit .MRC file: the editor (run with the file as its one argument, no shell)
# changes the title; Yes reads the control file again.
cat > "$work/editor" <<'EOF'
#!/bin/sh
sed -i 's/^Kyphosis after spinal surgery in children$/Kyphosis edited/' "$1"
EOF
chmod +x "$work/editor"
mkdir "$work/ed dir"
cp "$src"/examples/kyphosis.mrc "$src"/examples/kyphosis.csv "$work/ed dir/"
printf 'dismiss\nmenu File > Open\nfile %s\ndismiss\nmenu Edit > Edit %s\nanswer yes\ndismiss\n' \
  "$work/ed dir/kyphosis.mrc" "$work/ed dir/kyphosis.mrc" > "$work/edit.txt"
VISUAL="$work/editor" run edit 0
has "$work/ed dir/kyphosis.mrc" "Kyphosis edited"
preamble "$work/ed dir/KYPHOSIS.LOG" "%File:Open $work/ed dir/kyphosis.mrc" "KYPHOSIS.LOG"
has "$work/ed dir/KYPHOSIS.LOG" "Kyphosis edited"

# Opening the same analysis again keeps the earlier log beside the new one,
# under the first free numbered name, and the new log says where it went:
# File:New of birthwt.csv, then File:Open of the birthwt.mrc it made, twice.
mkdir "$work/again"
cp "$src"/examples/birthwt.csv "$work/again/"
printf 'dismiss\nmenu File > New\nfile %s\ndismiss\n' "$work/again/birthwt.csv" > "$work/again.txt"
for i in 1 2; do printf 'menu File > Open\nanswer yes\nfile %s\ndismiss\n' "$work/again/birthwt.mrc"; done >> "$work/again.txt"
run again 0
preamble "$work/again/BIRTHWT.L01" "%File:New birthwt.csv" "BIRTHWT.LOG"
has "$work/again/BIRTHWT.L01" "%Attribute frequencies:"
for log in BIRTHWT.L02 BIRTHWT.LOG; do
  preamble "$work/again/$log" "%File:Open $work/again/birthwt.mrc" "BIRTHWT.LOG"
  has "$work/again/$log" "%Attribute frequencies:"
done
line "$work/again/BIRTHWT.L02" 6 "NOTE: The earlier BIRTHWT.LOG is kept as BIRTHWT.L01"
line "$work/again/BIRTHWT.LOG" 6 "NOTE: The earlier BIRTHWT.LOG is kept as BIRTHWT.L02"

# Started from a shell without an argument: File:Open starts in the folder the
# program was started from, so a name typed there is found in that folder.
mkdir "$work/here"
cp "$src"/examples/kyphosis.mrc "$src"/examples/kyphosis.csv "$work/here/"
printf 'dismiss\nmenu File > Open\nfile kyphosis.mrc\ndismiss\n' > "$work/here.txt"
cd "$work/here" && run here 0
cd - >/dev/null || fail "cannot return to the first folder"
has "$work/here/KYPHOSIS.LOG" "%File:Open $work/here/kyphosis.mrc"

finish "all openings as expected"
