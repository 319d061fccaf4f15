#!/usr/bin/env bash
# A full disk: File:New cannot write the default control file beside its data
# file; it says so once, with the system's reason, opens nothing and leaves no
# temporary file. The disk is a small tmpfs in a mount namespace of the run's own
# (skipped where no such namespace can be made).
# Arguments: the meru executable, the source folder.
meru="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
src="$2"
source "$(dirname "$0")/lib/common.sh"
export MERU_PREFS="$work/meru.prf"

ns=(unshare -m)
[ "$(id -u)" -eq 0 ] || ns=(unshare -rm)
mkdir "$work/disk"
if ! "${ns[@]}" mount -t tmpfs -o size=256k tmpfs "$work/disk" 2>/dev/null; then
  echo "skipped: no mount namespace for a small disk here"
  exit 0
fi

printf 'dismiss\nmenu File > New\nfile %s\ndismiss\n' "$work/disk/kyphosis.csv" > "$work/new.txt"
"${ns[@]}" bash -c '
  mount -t tmpfs -o size=256k tmpfs "$1/disk" || exit 9
  cp "$2/examples/kyphosis.csv" "$1/disk/"
  dd if=/dev/zero of="$1/disk/filler" bs=4k 2>/dev/null
  MERU_SCRIPT="$1/new.txt" timeout 120 "$3" >"$1/new.out" 2>"$1/new.err"
  echo $? >"$1/new.status"
  ls -a "$1/disk" >"$1/new.ls"' _ "$work" "$src" "$meru"

[ "$(cat "$work/new.status" 2>/dev/null)" = 0 ] || fail "new: status $(cat "$work/new.status" 2>/dev/null)"
no_sanitizer_report new
expect_line new "Cannot create control file in makecf $work/disk/kyphosis.mrc (No space left on device)"
grep -q "Unable to open control file" "$work/new.err" && fail "new: a second message after the failed write"
grep -qE 'kyphosis\.mrc|meru-tmp' "$work/new.ls" && fail "new: left on the full disk: $(cat "$work/new.ls")"

finish "full disk: File:New says why it cannot write the control file, once"
