Pima women: diabetes against clinical measurements
*
npreg i 2 4 6
glu cv4
bp i 70 80
skin i 20 30
bmi i 25 30 35
ped cv3
age i 25 35 45
set n12 1
diabetes b 1
*
free comma
pima_mass.csv
