Breast cytology: malignancy against nine ordinal scores
*
thick o 3 5 7
usize o 1 2 4
ushape o 1 2 4
adhes o 1 3 5
epsize o 2 3 5
barenuc o 1 3 6
chromat o 2 3 5
nucleoli o 1 3 6
mitoses o 1 2
malig b 1
*
free comma
bcw_orig.csv
