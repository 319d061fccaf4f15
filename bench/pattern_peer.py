#!/usr/bin/env python3
"""A peer of the program's search, written apart from it, for the end-to-end figures.

  pattern_peer.py DIR P [--criterion chisq]

Reads DIR/planted.csv and DIR/planted.mrc (bench/planted_data.py), turns each
variable into its attribute (x > cut), turned so that the attribute goes with
the larger share of y = 1, and scores by the chi-square of its 2 x 2 table
against y every partition the program's search "Up to P P" scores: every list
of one term or two terms of at most P attributes, on either side (A the sum of
the terms, or A- the sum of the terms of the failing literals), where no term
holds the other and the split is not one scored before. A split is scored
once: a single attribute on one side only (its other side is the same split),
no two single attributes (the other side's term of two), and no two terms of
two that share an attribute (the other side's term of two and a single
attribute without it). The counting: each observation's pattern of the 20
attributes (bincount over the 2^20 patterns and y), sums over the supersets
of each pattern (zeta transforms, for the attributes and for their
complements), every candidate's table by inclusion and exclusion.
Prints the best chi-square, its candidate, the candidates scored, the seconds
of the search (from the observations' patterns to the best) and, apart, those
of the set-up (each attribute's bits from the raw values, its turning and the
observations' patterns; the file's reading left out).
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


def patterns(bits):
    """Each observation's pattern: bit j for attribute j."""
    packed = np.packbits(bits, axis=1, bitorder="little")
    packed = np.ascontiguousarray(np.pad(packed, ((0, 0), (0, 4 - packed.shape[1]))))
    return packed.view("<u4")[:, 0].astype(np.int64)


BYTE_COUNTS = np.array([bin(b).count("1") for b in range(256)], dtype=np.int64)


def popcount(v, m):
    """The set bits of each of v's values (below 2^m)."""
    return sum(BYTE_COUNTS[(v >> k) & 255] for k in range(0, m, 8))


def candidates(m, p):
    """The lists the program scores: (terms of one-term lists per side, pairs of terms per side).

    Side 0 holds a single attribute's term (side 1's is the same split); pairs
    where one term holds the other, two single attributes, and two terms of two
    that share an attribute are left out (see the module's comment)."""
    terms = np.array([sum(1 << i for i in t) for k in range(1, p + 1) for t in itertools.combinations(range(m), k)],
                     dtype=np.int64)
    size = popcount(terms, m)
    i, j = np.triu_indices(len(terms), 1)
    t1, t2 = terms[i], terms[j]
    both = t1 & t2
    shared = popcount(both, m)
    keep = (both != t1) & (both != t2)
    keep &= ~((size[i] == 1) & (size[j] == 1))
    keep &= ~((size[i] == 2) & (size[j] == 2) & (shared == 1))
    single = [terms, terms[size > 1]]
    return single, t1[keep], t2[keep]


def search(pattern, y, m, p):
    """The best (chi-square, (side, terms...)) over the program's candidates, and how many were scored."""
    single, t1, t2 = candidates(m, p)
    cells = np.bincount(pattern * 2 + y, minlength=2 << m).reshape(1 << m, 2)
    f = [superset_sums(cells[::-1], m), superset_sums(cells, m)]  # side 0: literals failing; side 1: holding
    total = cells.sum(axis=0)
    best = (-1.0, None)
    for side in (0, 1):
        terms = single[side]
        g = chisq(f[side][terms], total)  # one term
        k = int(np.argmax(g))
        best = max(best, (float(g[k]), (side, int(terms[k]))), key=lambda v: v[0])
        h = f[side][t1] + f[side][t2] - f[side][t1 | t2]  # two terms
        g = chisq(h, total)
        k = int(np.argmax(g))
        best = max(best, (float(g[k]), (side, int(t1[k]), int(t2[k]))), key=lambda v: v[0])
    return best, len(single[0]) + len(single[1]) + 2 * len(t1)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("dir")
    ap.add_argument("p", type=int)
    a = ap.parse_args()
    names, cut, x, y = read(a.dir)
    m = len(names)
    start = time.perf_counter()
    bits = x > cut
    # Each attribute turned to go with the larger share of y = 1.
    share1 = (bits & (y == 1)[:, None]).sum(0) / np.maximum(bits.sum(0), 1)
    share0 = (~bits & (y == 1)[:, None]).sum(0) / np.maximum((~bits).sum(0), 1)
    turned = share1 < share0
    bits = bits ^ turned
    pattern = patterns(bits)
    setup = time.perf_counter() - start
    start = time.perf_counter()
    (g, cand), scored = search(pattern, y, m, a.p)
    seconds = time.perf_counter() - start

    side = cand[0]

    def term(mask):  # side 0 holds the terms' complements: A- is their sum
        return " & ".join(f"{names[i]}{'<=' if turned[i] == bool(side) else '>'}{cut[i]:g}"
                          for i in range(len(names)) if mask >> i & 1)

    print(f"best_g {g:.4f}")
    print(f"candidate {'A' if side else 'A-'} = " + " or ".join(f"({term(t)})" for t in cand[1:]))
    print(f"candidates {scored}")
    print(f"seconds {seconds:.4f}")
    print(f"setup_seconds {setup:.4f}")


if __name__ == "__main__":
    main()
