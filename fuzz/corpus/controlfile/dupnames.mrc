Duplicated names
weight weight weight x
*
weight_2 i 5
*
free space
X.DAT
