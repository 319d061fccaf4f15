#!/usr/bin/env python3
"""Single-attribute chi-square of every cut of every column of a comma-separated
file against its first column (a 0/1 Y), over the complete pairs ("." or an
empty field is missing). An attribute is "value > cut" (one cut of 0 for 0/1
columns). Prints the columns by their best cut's chi-square, largest first, with
the share of missing values (above 10% the column is left out of searches by
default), each column's cuts by chi-square, and the counts of candidates of the
size vectors (1), (2) and (2,2) over the columns kept. With cuts given, only the
columns named. Standard library only.

Usage: single_chisq.py FILE.csv [NAME=CUT,CUT,... ...]
"""
import csv
import sys
from math import comb


def value(text):
    text = text.strip()
    if text in ("", "."):
        return None
    try:
        return float(text)
    except ValueError:
        return None


def chisq(pairs):
    # 2 x 2 table of attribute (0/1) by Y (0/1), Pearson without correction.
    n = [[0, 0], [0, 0]]
    for a, y in pairs:
        n[a][y] += 1
    total = sum(map(sum, n))
    rows = [sum(n[a]) for a in (0, 1)]
    cols = [n[0][y] + n[1][y] for y in (0, 1)]
    if 0 in rows or 0 in cols:
        return 0.0
    return sum((n[a][y] - rows[a] * cols[y] / total) ** 2 / (rows[a] * cols[y] / total)
               for a in (0, 1) for y in (0, 1))


def main():
    path = sys.argv[1]
    cuts = {}
    for arg in sys.argv[2:]:
        name, values = arg.split("=")
        cuts[name] = [float(v) for v in values.split(",")]
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    names, data = rows[0], rows[1:]
    ranked = []
    for j, name in enumerate(names[1:], start=1):
        if cuts and name not in cuts:
            continue
        scored = []
        missing = sum(1 for r in data if value(r[j]) is None)
        for c in cuts.get(name, [0.0]):
            pairs = [(1 if value(r[j]) > c else 0, int(value(r[0])))
                     for r in data if value(r[j]) is not None and value(r[0]) is not None]
            scored.append((chisq(pairs), c))
        scored.sort(key=lambda s: -s[0])
        ranked.append((scored[0][0], name, 100.0 * missing / len(data), scored))
    ranked.sort(key=lambda r: -r[0])
    kept = 0
    for best, name, miss, scored in ranked:
        banned = miss > 100.0 * 10 / 110  # excluded above 10% of the values present
        kept += 0 if banned else 1
        cutlist = " ".join("%g:%.4f" % (c, g) for g, c in scored)
        print("%-8s %10.4f missing %5.1f%%%s  cuts %s" % (name, best, miss, " banned" if banned else "", cutlist))
    pairs = comb(kept, 2)
    print("columns kept %d: (1) %d  (2) %d  (2,2) %d" % (kept, kept, 2 * pairs, 2 * comb(pairs, 2)))


if __name__ == "__main__":
    main()
