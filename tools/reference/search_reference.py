"""Helpers the reference scripts of the search share: reading a value of the data
file, Pearson's chi-square of a 2x2 table, and the minimal transversals of a set of
terms (the terms of a complement). Standard library only."""
import itertools


def value(text):
    text = text.strip()
    if text in ("", "."):
        return None
    try:
        return float(text)
    except ValueError:
        return None


def chisq(table):
    total = sum(map(sum, table))
    rows = [sum(table[a]) for a in (0, 1)]
    cols = [table[0][y] + table[1][y] for y in (0, 1)]
    if 0 in rows or 0 in cols:
        return 0.0
    return sum((table[a][y] - rows[a] * cols[y] / total) ** 2 / (rows[a] * cols[y] / total)
               for a in (0, 1) for y in (0, 1))


def transversals(terms):
    atoms = sorted(set().union(*terms))
    hits = []
    for k in range(1, len(atoms) + 1):
        for h in itertools.combinations(atoms, k):
            s = set(h)
            if all(s & t for t in terms) and not any(set(o) <= s for o in hits):
                hits.append(h)
    return hits
