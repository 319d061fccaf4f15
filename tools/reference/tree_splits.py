#!/usr/bin/env python3
"""The first two levels of a tree grown by best single cuts on kyphosis: at each
node, the attribute "value > cut" (cuts of the control file) with the largest
Pearson chi-square (no correction) of attribute by Y over the node's
observations, its two sides' sizes and Y counts; then the same inside each side.
Standard library only.

Usage: tree_splits.py kyphosis.csv
"""
import csv
import sys

import search_reference

CUTS = {"age": [20, 50, 100, 150], "number": [3, 4, 5], "start": [5, 9, 12, 14]}
Y = "kyphosis"


def chisq(rows, name, cut):
    n = [[0, 0], [0, 0]]
    for r in rows:
        n[1 if r[name] > cut else 0][int(r[Y])] += 1
    return search_reference.chisq(n), n


def best(rows):
    found = None
    for name, cuts in CUTS.items():
        for cut in cuts:
            x, n = chisq(rows, name, cut)
            if found is None or x > found[0]:
                found = (x, name, cut, n)
    return found


def show(rows, label, depth):
    x, name, cut, n = best(rows)
    print(f"{label} n={len(rows)}: {name}>{cut} chi2={x:.2f} "
          f"<=: n={sum(n[0])} y0/y1={n[0][0]}/{n[0][1]}  >: n={sum(n[1])} y0/y1={n[1][0]}/{n[1][1]}")
    if depth > 1:
        show([r for r in rows if r[name] <= cut], f"{label} {name}<={cut}", depth - 1)
        show([r for r in rows if r[name] > cut], f"{label} {name}>{cut}", depth - 1)


with open(sys.argv[1], newline="") as f:
    data = [{k: float(v) for k, v in r.items()} for r in csv.DictReader(f)]
show(data, "root", 2)
