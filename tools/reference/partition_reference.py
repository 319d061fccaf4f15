#!/usr/bin/env python3
"""Reference values of one partition of a data file, written from the
definitions alone. Standard library only.

The partition is A, a sum of terms; each term is literals joined by "&", a
literal NAME>CUT, NAME<=CUT, NAME=VALUE or NAME!=VALUE on a column of the file
("." or an empty field is missing). A term is true when all its literals are,
false when one is false, else undetermined; A is true when a term is true, else
undetermined when a term is, else false. Observations whose membership or Y is
undetermined are left out.

--binary Y: the 2 x 2 table of Y (0/1) by A, Pearson's chi-square (no
correction) and the misclassification error (A taken as the side of Y = 1).
--mean Y: n, the means of A- and A, G = between-sides sum of squares / n, and
the error, the within-sides sum of squares over the total sum of squares.
--logrank TIME DEAD: n, the deaths in A- and A, and the log-rank chi-square of
A against A- (DEAD = 1 an event, 0 censored).

Usage: partition_reference.py FILE.csv (--binary Y | --mean Y | --logrank TIME DEAD) TERM...
"""
import csv
import re
import sys

from search_reference import chisq, value


def literal(text):
    name, op, cut = re.fullmatch(r"(\w+)(<=|>|!=|=)(.+)", text).groups()
    cut = float(cut)
    tests = {">": lambda v: v > cut, "<=": lambda v: v <= cut, "=": lambda v: v == cut, "!=": lambda v: v != cut}
    return name, tests[op]


def membership(row, col, terms):
    result = 0
    for term in terms:
        vals = [None if value(row[col[n]]) is None else test(value(row[col[n]])) for n, test in term]
        if False in vals:
            continue
        if None in vals:
            result = None
        else:
            return 1
    return result


def logrank(groups):
    # groups: (time, dead, side); the statistic (O - E)^2 / V of side 1.
    times = sorted({t for t, d, _ in groups if d})
    o_e, var = 0.0, 0.0
    for t in times:
        at_risk = [(d if tt == t else 0, s) for tt, d, s in groups if tt >= t]
        n = len(at_risk)
        n1 = sum(s for _, s in at_risk)
        d = sum(dd for dd, _ in at_risk)
        d1 = sum(dd for dd, s in at_risk if s)
        o_e += d1 - d * n1 / n
        if n > 1:
            var += d * (n1 / n) * (1 - n1 / n) * (n - d) / (n - 1)
    return o_e * o_e / var


def main():
    args = sys.argv[1:]
    path, mode = args[0], args[1]
    ycols = args[2:4] if mode == "--logrank" else args[2:3]
    terms = [[literal(t) for t in term.split("&")] for term in args[2 + len(ycols):]]
    with open(path, newline="") as f:
        rows = list(csv.reader(f))
    col = {n: j for j, n in enumerate(rows[0])}
    obs = []
    for r in rows[1:]:
        ys = [value(r[col[y]]) for y in ycols]
        m = membership(r, col, terms)
        if m is not None and None not in ys:
            obs.append((m, ys))
    n = len(obs)
    if mode == "--binary":
        table = [[0, 0], [0, 0]]
        for m, ys in obs:
            table[m][int(ys[0])] += 1
        print("A-: %d %d  A: %d %d  n=%d" % (table[0][0], table[0][1], table[1][0], table[1][1], n))
        print("chisq=%.6f error=%.4f%%" % (chisq(table), 100.0 * (table[1][0] + table[0][1]) / n))
    elif mode == "--mean":
        sides = [[y[0] for m, y in obs if m == s] for s in (0, 1)]
        mean = sum(y[0] for _, y in obs) / n
        total = sum((y[0] - mean) ** 2 for _, y in obs)
        within = sum(sum((y - sum(s) / len(s)) ** 2 for y in s) for s in sides)
        print("n=%d A-: %d mean %.4f  A: %d mean %.4f" % (n, len(sides[0]), sum(sides[0]) / len(sides[0]),
                                                          len(sides[1]), sum(sides[1]) / len(sides[1])))
        print("G=%.6f error=%.4f%%" % ((total - within) / n, 100.0 * within / total))
    else:
        groups = [(ys[0], int(ys[1]), m) for m, ys in obs]
        deaths = [sum(d for _, d, s in groups if s == side) for side in (0, 1)]
        print("n=%d deaths A-: %d A: %d" % (n, deaths[0], deaths[1]))
        print("logrank=%.6f" % logrank(groups))


if __name__ == "__main__":
    main()
