Blank lines and a long line


a b
*
a i 1

b i 2                                                                           xxxx
*
free space
X.DAT
