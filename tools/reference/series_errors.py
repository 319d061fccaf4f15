#!/usr/bin/env python3
"""Errors of the searches of a series, worked out from a comma-separated file
with a categorical Y: each search's partition is scored on its own sample
(resubstitution: each side predicts its weighted majority class, the smaller
class on a tie) and, for a training/test or by-group series, with that rule on
the test sample or on the observations outside the group. Prints one line per
search and the Search Summary's cross-validated average for a by-group series.

The samples are made as the program makes them from its random stream (the
multiplicative congruential stream x' = 48271 x mod (2^31 - 1), state 1 at
start, each number x / (2^31 - 1)):
  boot        sample k: every weight 0, then n draws, weight[floor(n u)] += 1
              (the k-th n numbers of the stream);
  split=SIZE  a repeatable split: the stream at state 1, selection sampling over
              the observations in order (a copy is taken while u <= m / r);
  by=NAME     groups by the values of column NAME, in ascending order.
A partition is A, written as terms joined by "|", each term literals joined by
"&", a literal "name>cut" or "name<=cut"; one partition per search, in order.

Usage: series_errors.py FILE.csv Y MODE PARTITION [PARTITION ...]
Example: series_errors.py kyphosis.csv kyphosis boot "start<=12" "start<=9"
Standard library only.
"""
import csv
import math
import re
import sys

MODULUS = 2147483647


class Stream:
    def __init__(self):
        self.state = 1

    def next(self):
        self.state = self.state * 48271 % MODULUS
        return self.state / MODULUS


def literal_true(row, literal):
    name, op, cut = re.fullmatch(r"\s*(\w+)\s*(>|<=)\s*([-0-9.]+)\s*", literal).groups()
    v = float(row[name])
    return v > float(cut) if op == ">" else v <= float(cut)


def in_a(row, partition):
    return any(all(literal_true(row, lit) for lit in term.split("&")) for term in partition.split("|"))


def tally(rows, weights, y, partition):
    counts = [{}, {}]
    for row, w in zip(rows, weights):
        if w:
            side = counts[1 if in_a(row, partition) else 0]
            cls = int(float(row[y]))
            side[cls] = side.get(cls, 0) + w
    return counts


def majority(side):
    best = None
    for cls in sorted(side):
        if best is None or side[cls] > side[best]:
            best = cls
    return best


def error(counts, rule):
    n = sum(sum(side.values()) for side in counts)
    wrong = sum(sum(side.values()) - side.get(rule[m], 0) for m, side in enumerate(counts))
    return n, (100.0 * wrong / n if n else 0.0)


def main():
    path, y, mode, partitions = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    n = len(rows)
    stream = Stream()
    if mode == "boot":
        for k, part in enumerate(partitions, start=1):
            w = [0] * n
            for _ in range(n):
                w[min(int(n * stream.next()), n - 1)] += 1
            counts = tally(rows, w, y, part)
            size, e = error(counts, [majority(s) for s in counts])
            print("sample %2d  %-20s n=%d  resubstitution %.2f%%" % (k, part, size, e))
    elif mode.startswith("split="):
        wanted, left = int(mode[6:]), n
        train = [0] * n
        for i in range(n):
            if stream.next() <= wanted / left:
                train[i], wanted = 1, wanted - 1
            left -= 1
        test = [1 - t for t in train]
        for part in partitions:
            counts = tally(rows, train, y, part)
            rule = [majority(s) for s in counts]
            size, e = error(counts, rule)
            tsize, te = error(tally(rows, test, y, part), rule)
            print("%-20s training n=%d %.2f%%  test n=%d %.2f%%" % (part, size, e, tsize, te))
    elif mode.startswith("by="):
        name = mode[3:]
        values = sorted({float(r[name]) for r in rows})
        total = err_sum = var_sum = 0.0
        for g, (v, part) in enumerate(zip(values, partitions), start=1):
            inside = [1 if float(r[name]) == v else 0 for r in rows]
            counts = tally(rows, inside, y, part)
            rule = [majority(s) for s in counts]
            size, e = error(counts, rule)
            rsize, re_ = error(tally(rows, [1 - i for i in inside], y, part), rule)
            print("group %d %s=%g %-16s n=%d %.2f%%  remainder n=%d %.2f%%" % (g, name, v, part, size, e, rsize, re_))
            total += rsize
            err_sum += rsize * re_
            var_sum += rsize * (re_ / 100) * (1 - re_ / 100)
        print("Cross-validated average %.2f%% (SE %.2f%%)" % (err_sum / total, 100 * math.sqrt(var_sum) / total))


if __name__ == "__main__":
    main()
