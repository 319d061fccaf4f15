T
x1:3 y
*
x1:3 i (1-10-2)
y n012 0=no 12
_all_ cv3
_r_ i 1
x1 i 1 !
2 !
3
*
(F4.1)
X.DAT
+a (2)
