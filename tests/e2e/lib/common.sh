# Shared by the scripted-run tests of tests/e2e; sourced, not run (the tests are
# the *.sh files one folder up). Sourcing makes the work folder $work (removed at
# the end) and the failure count, and gives the helpers below.
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# no_sanitizer_report NAME: the run's standard error ($work/NAME.err) holds no
# report of AddressSanitizer or UndefinedBehaviorSanitizer.
no_sanitizer_report() {
  ! grep -qE "runtime error:|AddressSanitizer|LeakSanitizer" "$work/$1.err" 2>/dev/null ||
    { fail "$1: sanitizer report"; cat "$work/$1.err"; }
}

# run_program NAME EXPECTED-STATUS PROGRAM [VAR=VALUE...]: runs PROGRAM on the
# script $work/NAME.txt with the variables given; standard output and error in
# $work/NAME.out and $work/NAME.err. Checks the exit status and that no
# sanitizer reported.
run_program() {
  local name=$1 expect=$2 program=$3
  shift 3
  env MERU_SCRIPT="$work/$name.txt" "$@" timeout 120 "$program" >"$work/$name.out" 2>"$work/$name.err"
  local status=$?
  [ "$status" -eq "$expect" ] || { fail "$name: status $status, expected $expect"; tail -40 "$work/$name.err"; }
  no_sanitizer_report "$name"
}

# expect_line NAME TEXT: the run's standard error holds a line containing TEXT.
# has FILE LINE: FILE holds LINE as a whole line, or the run fails.
has() { grep -qxF -- "$2" "$1" 2>/dev/null || fail "$1: no line \"$2\""; }

expect_line() {
  grep -qF -- "$2" "$work/$1.err" || { fail "$1: no line \"$2\""; tail -40 "$work/$1.err"; }
}

# png_size FILE: the width and height in a PNG's header ("500x60"), or nothing
# when FILE is not a PNG.
png_size() {
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || return
  echo "$(od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}')"
}

# wait_for SECONDS WHAT COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; after SECONDS a failure "gave up waiting for WHAT" and status 1.
wait_for() {
  local seconds=$1 what=$2
  shift 2
  local tries=$((seconds * 10))
  while ((tries-- > 0)); do
    "$@" && return 0
    sleep 0.1
  done
  fail "gave up waiting for $what after $seconds s"
  return 1
}

# finish MESSAGE: ends the test: MESSAGE and status 0 when nothing failed, else
# the number of failures and status 1.
finish() {
  if ((failures == 0)); then
    echo "$1"
    exit 0
  fi
  echo "$failures failure(s)"
  exit 1
}

# The settings_block names: the dialog each belongs to and its control's label.
# Strategy's "later" values are set in the Strategy dialog shown again after the
# Extent dialog (when there is one; with tree=on in the one Strategy dialog).
declare -A settings_controls=(
  [detailed]="Options|Detailed output"
  [graphics]="Options|Display graphics while searching"
  [skipcomb]="Options|Skip if any missing in combination"
  [fullred]="Options|Full Boolean reduction"
  [turbo]="Options|3010"
  [criterion]="Criteria|Criterion"
  [beta]="Criteria|Beta"
  [gamma]="Criteria|Gamma"
  [equal_priors]="Criteria|Equal priors"
  [data_priors]="Criteria|Data priors"
  [tree]="Strategy|Tree"
  [iterative]="Strategy|Iterative mode"
  [positivity]="Strategy|Decide positivity"
  [xconstrain]="Strategy|Constrain X space"
  [forcein]="Strategy|Force in attribute"
  [top]="later|Top m attributes:"
  [maxiter]="later|Maximum iterations"
  [size]="Extent|Size p_1,..,p_q"
  [upto]="Extent|Up to p_1,..,p_q"
  [both]="Extent|A and A-"
  [float]="Extent|Float levels (1-3) of attributes with multiple cuts"
)

# settings_lines LINE...: prints each LINE on a line of its own; nothing for none.
# open_with_y FILE Y: script lines that open $work/FILE and choose Y in the
# Select Y dialog, answering no to its question and closing its notes.
open_with_y() {
  printf '%s\n' dismiss "menu File > Open" "file $work/$1" dismiss "menu Y > Select Y" "dialog Select  Y variable(s)" \
    "  set 1000 = $2" "  press OK" "answer no" dismiss
}

settings_lines() { (($# == 0)) || printf '%s\n' "$@"; }

# current_statistics: script lines that list Process > Statistics of the current
# partition and close the statistics window.
current_statistics() {
  printf '%s\n' "menu Process > Statistics" "dialog Select partition" "  set Current = on" "  press OK" dismiss \
    "key 57 Esc"
}

# by_value VAR: script lines that choose Y > By group/cross-validate and take
# the groups by the values of VAR.
by_value() {
  printf '%s\n' "menu Y > By group/cross-validate" "dialog By group analysis variable" "  set 1002 = $1" \
    "  set By Value = on" "  press OK"
}

# settings_block NAME=VALUE...: prints the script lines that set the named
# values (names in settings_controls) in the Options, Criteria and Strategy
# dialogs, each opened from its menu only when one of its values is named, and
# closed with OK. Extent values are set in the Extent dialog that the Strategy
# dialog's "Set Extent Parameters" opens, after which the Strategy dialog comes
# back; with tree=on the Strategy dialog's OK leads to the Extent dialog (the
# tree's extent), which is then always filled and ends the block. Within a dialog
# the values are set in the order given.
settings_block() {
  local -a options=() criteria=() strategy=() later=() extent=()
  local arg name tree=off
  for arg; do
    name=${arg%%=*}
    [[ -n ${settings_controls[$name]+x} ]] || { echo "settings_block: no setting '$name'" >&2; return 1; }
    local control=${settings_controls[$name]}
    local line="  set ${control#*|} = ${arg#*=}"
    case ${control%%|*} in
    Options) options+=("$line") ;;
    Criteria) criteria+=("$line") ;;
    Strategy) strategy+=("$line") ;;
    later) later+=("$line") ;;
    Extent) extent+=("$line") ;;
    esac
    [[ $name == tree ]] && tree=${arg#*=}
  done
  ((${#options[@]} == 0)) || settings_lines "menu Options" "dialog Options" "${options[@]}" "  press OK"
  ((${#criteria[@]} == 0)) || settings_lines "menu Criteria" "dialog Criteria" "${criteria[@]}" "  press OK"
  # A tree's Strategy dialog is shown once: its later values go there.
  if [[ $tree == on ]]; then
    strategy+=("${later[@]}")
    later=()
  fi
  ((${#strategy[@]} + ${#later[@]} + ${#extent[@]} == 0)) && return 0
  settings_lines "menu Strategy" "dialog Strategy" "${strategy[@]}"
  if [[ $tree == on ]] || ((${#extent[@]} > 0)); then
    if [[ $tree == on ]]; then settings_lines "  press OK"; else settings_lines "  press Set Extent Parameters"; fi
    settings_lines "dialog Extent Parameters" "${extent[@]}" "  press OK"
    [[ $tree == on ]] && return 0
    settings_lines "dialog Strategy"
  fi
  settings_lines "${later[@]}" "  press OK"
}
