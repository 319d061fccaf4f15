# Shared by the scripted tree runs; sourced after common.sh. tree_settings
# [EXTENT-LINES] prints the script that opens $work/kyphosis.mrc, takes kyphosis
# as Y, chooses Chi-square and the Tree strategy (not iterative, positivity not
# decided) and closes the Extent dialog with the lines given.
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
menu Criteria
dialog Criteria
  set Criterion = Chi-square
  press OK
menu Strategy
dialog Strategy
  set Tree = on
  set Iterative mode = off
  set Decide positivity = off
  press OK
dialog Extent Parameters
${1:-}
  press OK
dialog Strategy
  press OK
SCRIPT
}
