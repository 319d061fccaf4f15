Low birth weight against maternal risk factors
*
low b 1
age i 20 25 30
lwt i 110 130 150
race n123 1=white 2=black 3=other
smoke b 1
ptl i 0 1
ht b 1
ui b 1
ftv i 0 1 2
bwt cv4
*
free comma
birthwt.csv
