Cohort study of 1996
age sex grade score
*
age i 40 50 60
sex nMF M=male
grade cv4
score mean
*
free space
COHORT.DAT
+combo  (2 5)(10)
