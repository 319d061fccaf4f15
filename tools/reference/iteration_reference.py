#!/usr/bin/env python3
"""Reference values of the first two iterations of an iterative chi-square
search over 0/1 columns with the extent "Up to 2 2", written from the
definitions alone. Standard library only.

The file's first column is a 0/1 Y; every other column is one attribute
("value > 0"), turned so that it correlates with Y not negatively; columns with
more than 10/110 of their values missing stay out. Candidates are the shapes (1),
(2) and (2, 2) over the set, each term a set of attributes: on side A the list is
the sum of its terms; on side A- (for (2) and (2, 2)) each term is a clause
(the sum of its attributes) and the list their product, A- being its complement.
A term is true when all its attributes
are 1, false when one is 0, else undetermined; a list is true when a term is
true, else undetermined when a term is, else false; undetermined observations
stay out of the 2 x 2 table and G is its Pearson chi-square. A candidate's
complexity is q + q' - 1 over the minimal sums of products of A and of A-
(unique for these monotone functions: the prime terms of A, and the minimal
sets meeting every one of them).

Iteration 1 searches the attributes. With beta 0 its winner is the largest G
(the least complex on a tie); it becomes the attribute "+a_1", the set's last
entry. Iteration 2 searches the same shapes over the set with +a_1, keeps only
candidates that use +a_1, replaces +a_1 by its definition, and leaves out a
candidate whose list on its side (the prime terms of A on side A, the minimal
clauses of A on side A-) has at most two terms of at most two attributes: a
shape of iteration 1, already searched.

Printed: iteration 1's count and largest G per complexity and its winner; then
iteration 2's count per complexity and the largest G over both iterations.

Usage: iteration_reference.py FILE.csv
"""
import csv
import itertools
import sys

from search_reference import chisq, transversals, value


def minimal(terms):
    terms = {frozenset(t) for t in terms}
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
        n = len(pairs)
        ma = sum(a for a, _ in pairs) / n
        my = sum(yy for _, yy in pairs) / n
        if sum((a - ma) * (yy - my) for a, yy in pairs) < 0:
            col = [None if v is None else 1 - v for v in col]
        columns[name] = col
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

    def either(f, g):
        return minimal(f | g)

    def both(f, g):
        return minimal({a | b for a in f for b in g})

    def shapes(entries):
        for a in entries:
            yield [{a}], (1,)
        pairs = list(itertools.combinations(entries, 2))
        for p in pairs:
            yield [set(p)], (1, 0)
        for p, r in itertools.combinations(pairs, 2):
            yield [set(p), set(r)], (1, 0)

    def function(terms, side, lit):
        # side 1: sum of products of the terms; side 0: product of their clauses.
        result = None
        for t in terms:
            parts = [lit(a) for a in sorted(t)]
            inner = parts[0]
            for q in parts[1:]:
                inner = both(inner, q) if side == 1 else either(inner, q)
            if result is None:
                result = inner
            else:
                result = either(result, inner) if side == 1 else both(result, inner)
        return result

    def search(entries, keep, lit, skip_covered):
        found = {}
        for terms, sides in shapes(entries):
            if not keep(terms):
                continue
            for side in sides:
                f = function(terms, side, lit)
                clauses = [frozenset(h) for h in transversals(f)]
                listed = f if side == 1 else clauses
                if skip_covered and len(listed) <= 2 and all(len(t) <= 2 for t in listed):
                    continue
                c = len(f) + len(clauses) - 1
                g = g_of(f)
                entry = found.setdefault(c, [0, -1.0, None])
                entry[0] += 1
                if g > entry[1] or (g == entry[1] and entry[2] is None):
                    entry[1], entry[2] = g, f
        return found

    def plain(a):
        return {frozenset([a])}

    attrs = list(columns)
    first = search(attrs, lambda terms: True, plain, False)
    for c in sorted(first):
        print("iteration 1 c=%d generated=%d maxG=%.6g" % (c, first[c][0], first[c][1]))
    best = max(sorted(first), key=lambda c: first[c][1])
    definition = first[best][2]
    print("a_1=%s" % " + ".join(sorted("(" + " ".join(sorted(t)) + ")" for t in definition)))

    def with_a1(a):
        return definition if a == "+a_1" else plain(a)

    second = search(attrs + ["+a_1"], lambda terms: any("+a_1" in t for t in terms), with_a1, True)
    for c in sorted(set(first) | set(second)):
        count = second.get(c, [0, -1.0])[0]
        g = max(first.get(c, [0, -1.0])[1], second.get(c, [0, -1.0])[1])
        print("iteration 2 c=%d generated=%d maxG=%.6g" % (c, count, g))


if __name__ == "__main__":
    main()
