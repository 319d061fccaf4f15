#!/usr/bin/env python3
"""Writes the planted-rule data set of the end-to-end search figures (bench/README.md).

  planted_data.py ROWS DIR [--seed S]

DIR/planted.csv: ROWS rows of y, t, dead, x1..x20; x1..x20 uniform on (0, 1)
with three decimals; A = (x1 > 0.4 and x2 > 0.6) or x3 > 0.8; y is 1 with
probability 0.7 in A and 0.3 outside; t a survival time (days, half as long
in A) and dead 0 for one time in five (censored).
DIR/planted.mrc: the control file, one cut per variable (x1 at 0.4, x2 at
0.6, x3 at 0.8, the others at 0.5), its lines in the variables' order.
DIR/planted_rank.mrc: the same lines in the order of their chi-square
against y, largest first (the order the ranked attribute set takes), so that
the attribute set's attribute numbers ascend.
DIR/planted_lr.mrc: the lines of planted.mrc for a search of t (Log-rank),
with dead's line (dead=0 censored) in place of y's.
"""
import argparse
import os

import numpy as np

CUTS = {1: 0.4, 2: 0.6, 3: 0.8}
CHUNK = 1000000  # rows drawn and written at a time


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("rows", type=int)
    ap.add_argument("dir")
    ap.add_argument("--seed", type=int, default=20270601)
    a = ap.parse_args()
    rng = np.random.default_rng(a.seed)
    cut = {k: CUTS.get(k, 0.5) for k in range(1, 21)}
    cuts = np.array([cut[k] for k in range(1, 21)])
    # Per attribute the 2 x 2 table against y, for the rank order.
    tables = np.zeros((20, 2, 2))
    os.makedirs(a.dir, exist_ok=True)
    with open(os.path.join(a.dir, "planted.csv"), "w") as f:
        f.write("y,t,dead," + ",".join(f"x{k}" for k in range(1, 21)) + "\n")
        for start in range(0, a.rows, CHUNK):
            n = min(CHUNK, a.rows - start)
            x = np.round(rng.random((n, 20)), 3)
            in_a = ((x[:, 0] > 0.4) & (x[:, 1] > 0.6)) | (x[:, 2] > 0.8)
            y = (rng.random(n) < np.where(in_a, 0.7, 0.3)).astype(np.int64)
            t = 1 + (365 * rng.random(n) * np.where(in_a, 0.5, 1.0)).astype(np.int64)
            dead = (rng.random(n) >= 0.2).astype(np.int64)
            cols = [y.astype(str), t.astype(str), dead.astype(str)] + [np.char.mod("%.3f", x[:, k]) for k in range(20)]
            rows = cols[0]
            for c in cols[1:]:
                rows = np.char.add(np.char.add(rows, ","), c)
            f.write("\n".join(rows.tolist()))
            f.write("\n")
            b = x > cuts
            for v in (0, 1):
                for w in (0, 1):
                    tables[:, v, w] += np.sum((b == bool(v)) & (y == w)[:, None], axis=0)
    # Chi-square of each attribute against y.
    expect = tables.sum(2, keepdims=True) * tables.sum(1, keepdims=True) / tables.sum((1, 2), keepdims=True)
    chi = dict(zip(range(1, 21), np.sum((tables - expect) ** 2 / expect, axis=(1, 2))))
    n = a.rows
    files = (("planted.mrc", range(1, 21), "y"), ("planted_rank.mrc", sorted(chi, key=lambda k: -chi[k]), "y"),
             ("planted_lr.mrc", range(1, 21), "dead"))
    for name, order, last in files:
        with open(os.path.join(a.dir, name), "w") as f:
            f.write(f"Planted rule (x1>0.4 & x2>0.6) | x3>0.8, {n} rows\n*\n")
            for k in order:
                f.write(f"x{k} i {cut[k]}\n")
            f.write(f"{last} b 1\n*\nfree comma\nplanted.csv\n")


if __name__ == "__main__":
    main()
