# Script blocks shared by the scripted whole-program sessions in tools/.

# extent SIZE: the Strategy and Extent dialogs set for a non-iterative search
# "Up to SIZE" of both sides over the top 14 attributes (votes84 has no more
# that the search may use: a larger Top m is cut with a message box).
extent() {
  cat <<SCRIPT
menu Strategy
dialog Strategy
  set Iterative mode = off
  press Set Extent Parameters
dialog Extent Parameters
  set Size p_1,..,p_q = $1
  set Up to p_1,..,p_q = on
  set A and A- = on
  press OK
dialog Strategy
  set Top m attributes: = 14
  press OK
SCRIPT
}

# opening CONTROLFILE Y: graphics off, the control file opened, Y selected
# without its attributes, Chi-square.
opening() {
  cat <<SCRIPT
dismiss
menu Options
dialog Options
  set Display graphics while searching = off
  press OK
menu File > Open
file $1
dismiss
menu Y > Select Y
dialog Select  Y variable(s)
  set 1000 = $2
  press OK
answer no
dismiss
menu Criteria
dialog Criteria
  set Criterion = Chi-square
  press OK
SCRIPT
}
