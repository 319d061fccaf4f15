#!/usr/bin/env python3
"""A peer of the program's search, written apart from it, for the end-to-end figures.

  pattern_peer.py DIR P [--criterion chisq]

Reads DIR/planted.csv and DIR/planted.mrc (bench/planted_data.py), turns each
variable into its attribute (x > cut), turned so that the attribute goes with
the larger share of y = 1, and scores every partition of at most two terms
of at most P attributes each ("Up to P P"), both ways round (A the sum of the
terms, or A the product of the clauses their complements make), by the
chi-square of its 2 x 2 table against y. The counting: each observation's
pattern of the 20 attributes (bincount over the 2^20 patterns and y), sums
over the supersets of each pattern (zeta transforms, for the attributes and
for their complements), every candidate's table by inclusion and exclusion.
Prints the best chi-square, its candidate and the seconds from the attribute
bits to the best (the file's reading left out).
"""
import argparse
import itertools
import os
import time

import numpy as np


def read(folder):
    cuts = {}
    with open(os.path.join(folder, "planted.mrc")) as f:
        lines = f.read().splitlines()
    star = [i for i, line in enumerate(lines) if "*" in line]
    for line in lines[star[0] + 1:star[1]]:
        name, kind, cut = line.split()
        if name.startswith("x"):
            cuts[name] = float(cut)
    with open(os.path.join(folder, "planted.csv")) as f:
        header = f.readline().strip().split(",")
        values = np.fromstring(f.read().replace("\n", ","), sep=",")
    data = values.reshape(-1, len(header))
    names = sorted(cuts, key=lambda v: int(v[1:]))
    x = data[:, [header.index(v) for v in names]]
    return names, np.array([cuts[v] for v in names]), x, data[:, header.index("y")].astype(np.int64)


def superset_sums(f, m):
    """f[S] := sum of f over the supersets of S (f: 2^m x 2)."""
    f = f.copy()
    for j in range(m):
        g = f.reshape(-1, 2, 1 << j, 2)  # [high bits, bit j, low bits, class]
        g[:, 0] += g[:, 1]
    return f


def chisq(h, total):
    """Chi-square of the tables [h, total - h] (h: k x 2 weights of A by y class)."""
    h = h.astype(np.float64)
    a, b = h[:, 0], h[:, 1]
    c, d = total[0] - a, total[1] - b
    n = total.sum()
    den = (a + b) * (c + d) * (a + c) * (b + d)
    with np.errstate(divide="ignore", invalid="ignore"):
        g = np.where(den > 0, n * (a * d - b * c) ** 2 / den, 0.0)
    return g


def search(bits, y, p):
    n, m = bits.shape
    packed = np.packbits(bits, axis=1, bitorder="little")  # bit j of a row: attribute j
    packed = np.ascontiguousarray(np.pad(packed, ((0, 0), (0, 4 - packed.shape[1]))))
    pattern = packed.view("<u4")[:, 0].astype(np.int64)
    cells = np.bincount(pattern * 2 + y, minlength=2 << m).reshape(1 << m, 2)
    f = [superset_sums(cells[::-1], m), superset_sums(cells, m)]  # side 0: literals failing; side 1: holding
    total = cells.sum(axis=0)
    terms = np.array([sum(1 << i for i in t) for k in range(1, p + 1) for t in itertools.combinations(range(m), k)],
                     dtype=np.int64)
    best = (-1.0, None)
    for side in (0, 1):
        g = chisq(f[side][terms], total)  # one term
        k = int(np.argmax(g))
        best = max(best, (float(g[k]), (side, int(terms[k]))), key=lambda v: v[0])
        i, j = np.triu_indices(len(terms), 1)  # two terms
        t1, t2 = terms[i], terms[j]
        h = f[side][t1] + f[side][t2] - f[side][t1 | t2]
        g = chisq(h, total)
        k = int(np.argmax(g))
        best = max(best, (float(g[k]), (side, int(t1[k]), int(t2[k]))), key=lambda v: v[0])
    return best


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("p", type=int)
    a = ap.parse_args()
    names, cut, x, y = read(a.dir)
    start = time.perf_counter()
    bits = x > cut
    # Each attribute turned to go with the larger share of y = 1.
    share1 = (bits & (y == 1)[:, None]).sum(0) / np.maximum(bits.sum(0), 1)
    share0 = (~bits & (y == 1)[:, None]).sum(0) / np.maximum((~bits).sum(0), 1)
    turned = share1 < share0
    bits = bits ^ turned
    g, cand = search(bits, y, a.p)
    seconds = time.perf_counter() - start

    side = cand[0]

    def term(mask):  # side 0 holds the terms' complements: A- is their sum
        return " & ".join(f"{names[i]}{'<=' if turned[i] == bool(side) else '>'}{cut[i]:g}"
                          for i in range(len(names)) if mask >> i & 1)

    print(f"best_g {g:.4f}")
    print(f"candidate {'A' if side else 'A-'} = " + " or ".join(f"({term(t)})" for t in cand[1:]))
    print(f"seconds {seconds:.4f}")


if __name__ == "__main__":
    main()
