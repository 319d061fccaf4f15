#!/usr/bin/env python3
"""Weighted point-biserial correlation of every column of a comma-separated file
with its first column (the Y), over the complete pairs only ("." or an empty
field is missing). Prints one line per column: name, correlation (6 decimals),
and the number of complete pairs. Standard library only.

Usage: point_biserial.py FILE.csv [WEIGHT_COLUMN]
"""
import csv
import math
import sys


def value(text):
    text = text.strip()
    if text in ("", "."):
        return None
    try:
        return float(text)
    except ValueError:
        return None


def correlation(pairs):
    sw = sum(w for w, _, _ in pairs)
    if sw <= 0:
        return 0.0
    mx = sum(w * x for w, x, _ in pairs) / sw
    my = sum(w * y for w, _, y in pairs) / sw
    sxy = sum(w * (x - mx) * (y - my) for w, x, y in pairs)
    sxx = sum(w * (x - mx) ** 2 for w, x, _ in pairs)
    syy = sum(w * (y - my) ** 2 for w, _, y in pairs)
    if sxx <= 0 or syy <= 0:
        return 0.0
    return sxy / math.sqrt(sxx * syy)


def main():
    path = sys.argv[1]
    weight = sys.argv[2] if len(sys.argv) > 2 else None
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    names, data = rows[0], rows[1:]
    wcol = names.index(weight) if weight else None
    for j, name in enumerate(names[1:], start=1):
        if j == wcol:
            continue
        pairs = []
        for r in data:
            y, x = value(r[0]), value(r[j])
            w = value(r[wcol]) if wcol is not None else 1.0
            if y is not None and x is not None and w:
                pairs.append((w, x, y))
        print(f"{name} {correlation(pairs):.6f} {len(pairs)}")


if __name__ == "__main__":
    main()
