Kyphosis after spinal surgery in children
*
age i 20 50 100 150
number i 3 4 5
start i 5 9 12 14
kyphosis b 1
*
free comma
kyphosis.csv
