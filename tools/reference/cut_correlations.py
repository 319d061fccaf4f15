#!/usr/bin/env python3
"""Weighted point-biserial correlation of cut attributes with a binary Y, over
the complete pairs only ("." , "?" or an empty field is missing; unit weights).
Each cut c of a variable makes the attribute "value > c".

Usage: cut_correlations.py FILE.csv Y NAME:c1,c2,... [NAME:...]
Prints per variable: the name, each cut's correlation (6 decimals), the largest
and the number of complete pairs. Standard library only.
Example (bcw): cut_correlations.py bcw_orig.csv malig thick:3,5,7 usize:1,2,4 ...
"""
import csv
import math
import sys


def value(text):
    try:
        return float(text.strip())
    except ValueError:
        return None


def correlation(pairs):
    sw = sum(w for w, _, _ in pairs)
    mx = sum(w * x for w, x, _ in pairs) / sw
    my = sum(w * y for w, _, y in pairs) / sw
    sxy = sum(w * (x - mx) * (y - my) for w, x, y in pairs)
    sxx = sum(w * (x - mx) ** 2 for w, x, _ in pairs)
    syy = sum(w * (y - my) ** 2 for w, _, y in pairs)
    return sxy / math.sqrt(sxx * syy) if sxx > 0 and syy > 0 else 0.0


def main():
    path, yname, cut_lines = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    names, data = rows[0], rows[1:]
    yi = names.index(yname)
    for cut_line in cut_lines:
        name, cuts = cut_line.split(":")
        j = names.index(name)
        rs = []
        for c in (float(t) for t in cuts.split(",")):
            pairs = []
            for r in data:
                y, x = value(r[yi]), value(r[j])
                if y is not None and x is not None:
                    pairs.append((1.0, 1.0 if x > c else 0.0, y))
            rs.append(correlation(pairs))
        print(name, " ".join(f"{r:.6f}" for r in rs), f"max {max(rs):.6f}", len(pairs))


if __name__ == "__main__":
    main()
