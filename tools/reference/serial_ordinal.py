"""Reference values of a serial ordinal and a serial nominal analysis over single
attributes: a Y of four levels stands in for its indicators (ordinal: Y>1, Y>2,
Y>3; nominal: Y=1, Y=2, Y=3), searched one after another. Each search tries
every attribute x once, as the partition A = x within the partition found for
the Y before (ordinal: the levels nest) or outside those of all the Ys before
(nominal: the levels are disjoint); G is Pearson's chi-square of A against the
indicator. Prints, per Y, the number of candidates, the G of the first, the best
G with its p-value and attribute (all of them when several tie; a minus sign for
the attribute's complement), then the cross-tabulation of Y by the predicted
level (ordinal: one plus the number of found partitions an observation is in;
nominal: the first partition it is in, else the last level).

Two settings: as the search loop's test runs it (attributes 2..5, u, v, w, z,
as given), and as tests/e2e/serial.sh runs the program (u, v, w, z and s, each
searched as itself: every attribute turned to point the way its correlation
with that indicator does, and a candidate whose A holds a smaller share of the
indicator than A- scoring 0, since the predicted level puts the category in A).
Standard library only."""
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
    6: [0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1, 1],
}
NAMES = {2: "u", 3: "v", 4: "w", 5: "z", 6: "s"}


def covariance(x, y):
    mx, my = sum(x) / len(x), sum(y) / len(y)
    return sum((a - mx) * (b - my) for a, b in zip(x, y))


def analysis(ordinal, attributes, own_directions):
    n = len(LEVEL)
    found = []  # membership of the partition found for each Y before
    for k in (1, 2, 3):
        y = [1 if (v > k if ordinal else v == k) else 0 for v in LEVEL]
        within = found[-1:] if ordinal else [[not m for m in f] for f in found]
        results = []
        for a in attributes:
            sign = -1 if own_directions and covariance(X[a], y) < 0 else 1
            member = [X[a][i] == (sign > 0) and all(w[i] for w in within) for i in range(n)]
            table = [[0, 0], [0, 0]]
            for m, v in zip(member, y):
                table[1 if m else 0][v] += 1
            rarer = table[1][1] * sum(table[0]) < table[0][1] * sum(table[1])
            results.append((0.0 if own_directions and rarer else chisq(table), sign * a, member))
        best = max(results, key=lambda r: r[0])
        ties = [("-" if r[1] < 0 else "") + NAMES[abs(r[1])] for r in results if abs(r[0] - best[0]) < 1e-9]
        print(f"Y{k}: candidates {len(results)} first G {results[0][0]:.6f} "
              f"best G {best[0]:.6f} (p {math.erfc(math.sqrt(best[0] / 2)):.5f}) "
              f"attribute {' or '.join(ties)} members {sum(best[2])}")
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
    print("Search loop test, ordinal, attributes u, v, w, z as given:")
    analysis(True, [2, 3, 4, 5], False)
    for ordinal in (True, False):
        print(f"Scripted run, {'ordinal' if ordinal else 'nominal'}, attributes u, v, w, z, s, each Y as itself:")
        analysis(ordinal, [2, 3, 4, 5, 6], True)


if __name__ == "__main__":
    main()
