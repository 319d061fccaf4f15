T
*
_all_ mean
*
free comma
X.CSV
