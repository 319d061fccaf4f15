Bom control file
id,x
*
id i 1
*
free comma
DATA
