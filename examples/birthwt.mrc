Low birth weight against maternal risk factors
*
low b
age i 20 25 30
lwt i 110 130 150
race n123 1=white 2=black 3=other
smoke b
ptl i 0 1
ht b
ui b
ftv i 0 1 2
bwt cv4
*
free comma
birthwt.csv
