"""Reference values of a serial ordinal analysis over single attributes: a Y of
four ordered levels stands in for its indicators Y>1, Y>2 and Y>3, searched one
after another. Each search tries every attribute x once, as the partition
A = x and the partitions found for the Ys before (the levels nest); G is
Pearson's chi-square of A against the indicator. Prints, per Y, the number of
candidates, the G of the first, the best G and its attribute. Standard library
only; the data are the ones the search loop's test writes."""
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


def main():
    found = []  # membership of the partition found for each Y before
    for k in (1, 2, 3):
        y = [1 if v > k else 0 for v in LEVEL]
        results = []
        for a in sorted(X):
            member = [X[a][i] and all(f[i] for f in found) for i in range(len(y))]
            table = [[0, 0], [0, 0]]
            for m, v in zip(member, y):
                table[1 if m else 0][v] += 1
            results.append((chisq(table), a, member))
        best = max(results, key=lambda r: r[0])
        ties = [r for r in results if abs(r[0] - best[0]) < 1e-9]
        assert len(ties) == 1, "a tie for the best"
        print(f"Y{k}: candidates {len(results)} first G {results[0][0]:.6f} "
              f"best G {best[0]:.6f} attribute {best[1]} members {sum(best[2])}")
        found.append(best[2])


if __name__ == "__main__":
    main()
