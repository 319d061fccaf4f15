Advanced lung cancer: survival time and death against performance scores
*
inst mean
time median
age i 55 65 75
sex n12 1=male
ph_ecog i 0 1 2
ph_karno i 60 70 80 90
pt_karno i 60 70 80 90
meal_cal cv3
wt_loss i 5 10
dead b 1
*
free comma
lung.csv
