"""Reference values of a serial ordinal and a serial nominal analysis over single
attributes: a Y of four levels stands in for its indicators (ordinal: Y>1, Y>2,
Y>3; nominal: Y=1, Y=2, Y=3), searched one after another. Each search tries
every attribute x once, as the partition A = x within the partitions found for
the Ys before (ordinal: the levels nest) or outside them (nominal: the levels are
disjoint); G is Pearson's chi-square of A against the indicator. Prints, per Y,
the number of candidates, the G of the first, the best G with its p-value and
attribute (all of them when several tie), then the cross-tabulation of Y by the predicted level (ordinal: one
plus the number of found partitions an observation is in; nominal: the first
partition it is in, else the last level). Standard library only; the data are
the ones the search loop's test and tests/e2e/serial.sh write (attributes 2..5
are the variables u, v, w, z there)."""
import math
import sys

sys.path.insert(0, __file__.rsplit("/", 1)[0])
from search_reference import chisq  # noqa: E402

LEVEL = [1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4]
X = {
    2: [0, 0, 1, 0, 1, 1, 1, 0, 1, 1, 1, 1, 1, 1, 0, 1],
    3: [0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 1, 1, 1, 1, 1],
    4: [0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 1, 1, 1, 1, 0],
    5: [1, 0, 1, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1],
}


def analysis(ordinal, attributes):
    n = len(LEVEL)
    found = []  # membership of the partition found for each Y before
    for k in (1, 2, 3):
        y = [1 if (v > k if ordinal else v == k) else 0 for v in LEVEL]
        results = []
        for a in attributes:
            member = [X[a][i] == 1 and all((f[i] if ordinal else not f[i]) for f in found) for i in range(n)]
            table = [[0, 0], [0, 0]]
            for m, v in zip(member, y):
                table[1 if m else 0][v] += 1
            results.append((chisq(table), a, member))
        best = max(results, key=lambda r: r[0])
        ties = [r[1] for r in results if abs(r[0] - best[0]) < 1e-9]
        print(f"Y{k}: candidates {len(results)} first G {results[0][0]:.6f} "
              f"best G {best[0]:.6f} (p {math.erfc(math.sqrt(best[0] / 2)):.5f}) "
              f"attribute {' or '.join(map(str, ties))} members {sum(best[2])}")
        found.append(best[2])
    if ordinal:
        predicted = [1 + sum(f[i] for f in found) for i in range(n)]
    else:
        predicted = [next((k + 1 for k, f in enumerate(found) if f[i]), 4) for i in range(n)]
    print("Y by predicted level:")
    for v in (1, 2, 3, 4):
        print(v, [sum(1 for y, p in zip(LEVEL, predicted) if y == v and p == c) for c in (1, 2, 3, 4)])
    wrong = sum(1 for y, p in zip(LEVEL, predicted) if y != p)
    print(f"misclassified {wrong} of {n}: {100.0 * wrong / n:.2f}%")


def main():
    print("Ordinal, attributes u, v, w, z:")
    analysis(True, [2, 3, 4, 5])
    # The positive attributes the program decides for Y=1 are u=0, v=0, w=0 and
    # z=1: the first three are the complements of u, v and w.
    for a in (2, 3, 4):
        X[a + 4] = [1 - b for b in X[a]]
    print("Nominal, attributes u=0, v=0, w=0, z:")
    analysis(False, [6, 7, 8, 5])


if __name__ == "__main__":
    main()
