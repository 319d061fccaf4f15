# Shared by the scripted tree runs; sourced after common.sh. tree_settings
# [NAME=VALUE...] prints the script that opens $work/kyphosis.mrc, takes
# kyphosis as Y, chooses Chi-square and the Tree strategy (not iterative,
# positivity not decided) and closes the Extent dialog with the extent values
# given (settings_block's names).
tree_settings() {
  cat <<SCRIPT
dismiss
menu File > Open
file $work/kyphosis.mrc
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = kyphosis
  press OK
answer no
dismiss
SCRIPT
  settings_block criterion=Chi-square tree=on iterative=off positivity=off "$@"
}
