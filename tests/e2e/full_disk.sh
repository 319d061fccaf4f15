#!/usr/bin/env bash
# A full disk: File:New cannot write the default control file beside its data
# file; it says so once, with the system's reason, opens nothing and leaves no
# temporary file. Save As and Print say why they cannot write a picture there,
# into a missing folder or onto a folder, and an earlier picture stays whole.
# The disk is a small tmpfs in a mount namespace of the run's own (skipped where
# no such namespace can be made).
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

# on_full_disk NAME: runs the script $work/NAME.txt with $work/disk a full tmpfs
# that holds kyphosis.csv and a 15-byte earlier.png; its status in NAME.status,
# the disk's files in NAME.ls.
on_full_disk() {
  "${ns[@]}" bash -c '
    mount -t tmpfs -o size=256k tmpfs "$1/disk" || exit 9
    cp "$2/examples/kyphosis.csv" "$1/disk/"
    printf "earlier picture" >"$1/disk/earlier.png"
    dd if=/dev/zero of="$1/disk/filler" bs=4k 2>/dev/null
    MERU_SCRIPT="$1/$4.txt" timeout 120 "$3" >"$1/$4.out" 2>"$1/$4.err"
    echo $? >"$1/$4.status"
    ls -a "$1/disk" >"$1/$4.ls"
    cmp -s "$1/disk/earlier.png" <(printf "earlier picture") || echo changed >"$1/$4.earlier"' \
    _ "$work" "$src" "$meru" "$1"
  [ "$(cat "$work/$1.status" 2>/dev/null)" = 0 ] || { fail "$1: status $(cat "$work/$1.status" 2>/dev/null)"; tail -20 "$work/$1.err"; }
  no_sanitizer_report "$1"
}

printf 'dismiss\nmenu File > New\nfile %s\ndismiss\n' "$work/disk/kyphosis.csv" > "$work/new.txt"
on_full_disk new
expect_line new "Cannot create control file in makecf $work/disk/kyphosis.mrc (No space left on device)"
grep -q "Unable to open control file" "$work/new.err" && fail "new: a second message after the failed write"
grep -qE 'kyphosis\.mrc|meru-tmp' "$work/new.ls" && fail "new: left on the full disk: $(cat "$work/new.ls")"

mkdir "$work/folder.png"
save() { printf '%s\n' "menu File > $1" "answer yes" "file $2" "answer ok"; }
{
  echo dismiss
  save "Save As" "$work/disk/new.png"
  save "Save As" "$work/disk/earlier.png"
  save Print "$work/disk/printed.pdf"
  save "Save As" "$work/none/x.png"
  save "Save As" "$work/folder.png"
} >"$work/pictures.txt"
on_full_disk pictures
for why in "disk/new.png (No space left on device)" "disk/earlier.png (No space left on device)" \
  "disk/printed.pdf (No space left on device)" "none/x.png (No such file or directory)" "folder.png (Is a directory)"; do
  expect_line pictures "Cannot write $work/$why"
done
grep -qE 'new\.png|printed|meru-tmp' "$work/pictures.ls" && fail "pictures: left on the full disk: $(cat "$work/pictures.ls")"
[ -e "$work/pictures.earlier" ] && fail "pictures: the earlier picture was changed"

finish "full disk: File:New, Save As and Print say why they cannot write, and keep what was there"
