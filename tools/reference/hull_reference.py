#!/usr/bin/env python3
"""Reference values of a chi-square search over 0/1 columns and of its
complexity hull, written from the definitions alone. Standard library only.

The file's first column is a 0/1 Y; every other column is one attribute
("value > 0"), turned so that it correlates with Y not negatively. Columns with
more than 10/110 of their values missing stay out of the search. Candidates are
the shapes (1), (2) and (2, 2) -- one term of one attribute, one term of two, two
different terms of two -- each term a set of attributes of the set; (2) and
(2, 2) are searched on both sides (the terms describe A, or they describe A-).
A term is true when all its attributes are 1, false when one is 0, otherwise
undetermined; the list is true when a term is true, else undetermined when a term
is, else false. Observations whose membership is undetermined are left out of the
candidate's 2 x 2 table, and G is its Pearson chi-square (no correction).

The complexity of a candidate is q + q' - 1: q terms in the minimal sum of
products of the side described, q' in that of its complement. For these
monotone lists the minimal sums are unique: the terms left after absorption, and
the minimal sets that meet every term (each giving a term of negated attributes).

Printed: per complexity the number of candidates and the largest G; the hull of
the best G at each complexity from the origin (later points must beat the best
slope by more than 0.001 |G of the first|); beta, 5 % of the first hull slope;
the complexity with the largest G - beta c and that value; the attributes of a
candidate reaching the largest G there, and of its complement.

Usage: hull_reference.py FILE.csv
"""
import csv
import itertools
import sys

from search_reference import chisq, transversals, value


def correlation(pairs):
    n = len(pairs)
    if n == 0:
        return 0.0
    ma = sum(a for a, _ in pairs) / n
    my = sum(y for _, y in pairs) / n
    return sum((a - ma) * (y - my) for a, y in pairs)


def absorbed(terms):
    terms = [frozenset(t) for t in terms]
    return {t for t in terms if not any(o < t for o in terms)}


def main():
    with open(sys.argv[1], newline="") as f:
        rows = list(csv.reader(f))
    names, data = rows[0], rows[1:]
    y = [value(r[0]) for r in data]
    columns = {}
    for j, name in enumerate(names[1:], start=1):
        col = [value(r[j]) for r in data]
        if sum(v is None for v in col) > len(data) * 10 / 110:
            continue
        col = [None if v is None else (1 if v > 0 else 0) for v in col]
        pairs = [(a, yy) for a, yy in zip(col, y) if a is not None and yy is not None]
        if correlation(pairs) < 0:
            col = [None if v is None else 1 - v for v in col]
        columns[name] = col
    attrs = list(columns)
    obs = [i for i in range(len(data)) if y[i] is not None]

    def g_of(terms):
        table = [[0, 0], [0, 0]]
        for i in obs:
            m = 0
            for t in terms:
                vals = [columns[a][i] for a in t]
                if 0 in vals:
                    continue
                if None in vals:
                    m = None
                else:
                    m = 1
                    break
            if m is not None:
                table[m][int(y[i])] += 1
        return chisq(table)

    found = {}  # complexity -> [count, best G, terms of the best]
    def offer(terms, sides):
        prime = absorbed(terms)
        c = len(prime) + len(transversals(prime)) - 1
        g = g_of(prime)
        entry = found.setdefault(c, [0, -1.0, None])
        entry[0] += sides
        if g > entry[1]:
            entry[1], entry[2] = g, prime

    for a in attrs:
        offer([{a}], 1)
    pairs = list(itertools.combinations(attrs, 2))
    for p in pairs:
        offer([set(p)], 2)
    for p, r in itertools.combinations(pairs, 2):
        offer([set(p), set(r)], 2)

    cs = sorted(found)
    for c in cs:
        print("c=%d generated=%d maxG=%.6g" % (c, found[c][0], found[c][1]))
    g1 = found[cs[0]][1]
    eps = 0.001 * abs(g1)
    hull = [(0, 0.0)]
    start = 0
    while start < len(cs):
        hc, hg = hull[-1]
        best, pick = 0.0, None
        for k in range(start, len(cs)):
            s = (found[cs[k]][1] - hg) / (cs[k] - hc)
            if s - best > eps:
                best, pick = s, k
        if pick is None:
            break
        hull.append((cs[pick], found[cs[pick]][1]))
        start = pick + 1
    beta = max(0.0, 0.05 * hull[1][1] / hull[1][0]) if len(hull) > 1 else 0.0
    print("hull=%s" % " ".join("%d" % c for c, _ in hull[1:]))
    print("beta=%.6g" % beta)
    opt = max(cs, key=lambda c: (found[c][1] - beta * c, -c))
    print("best c=%d gbeta=%.6g" % (opt, found[opt][1] - beta * opt))
    terms = found[opt][2]
    print("winner=%s" % " ".join(sorted(set().union(*terms))))
    print("complement=%s" % " ".join(sorted(set().union(*map(set, transversals(terms))))))


if __name__ == "__main__":
    main()
