#pragma once
// Counting each pattern of a search's literals once. With m literals in use a
// unit's pattern is the m bits "its literal holds" (read plainly); one pass
// over the units counts the weight of each Y class in each of the 2^m
// patterns, and a sum over the supersets of every pattern (the zeta transform,
// m 2^m additions per class) gives, per set S of literals, the weight where
// every literal of S holds. The same over the patterns' complements gives the
// weight where every literal of S fails, which is where a term of S holds when
// the list is read flipped. A list of terms T_1..T_q then holds on
//   sum over the non-empty sets J of terms of (-1)^(|J| + 1) F(union of J)
// (inclusion and exclusion), and its count table follows from that and the
// classes' totals: every table of every candidate from a few lookups. A term
// whose literals ask some bits to hold and others to fail takes, over the
// smaller of the two sets, a sum of lookups with alternating signs.
//
// Exact where every literal is two valued among the units (no missing byte)
// and the units' weights sum in magnitude below 2^31: the cells are counted in
// 32-bit words, whose sums wrap but give every count exactly.
#include "search/class_sample.h"
#include "search/unit_columns.h"
#include "stats/count_table.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace meru::search {

class PatternCounts {
public:
    // The literals a pattern may hold, and the terms a list may have.
    static constexpr int kMaxLiterals = 30;
    static constexpr int kMaxTerms = 8;

    // The bytes the counts of m literals over `classes` classes take.
    static std::size_t bytes(int m, int classes);
    // Whether the sample's units can be counted so (their weights sum in
    // magnitude below 2^31).
    static bool fits(const ClassOrderedSample& sample);

    // Counts the sample's units by the patterns of these literals (each
    // literal's columns read plainly, two valued among the units; at most
    // kMaxLiterals).
    PatternCounts(const ClassOrderedSample& sample, std::span<const UnitColumns::Lit> plain);

    int literals() const { return m_; }

    // The count table of side r (1 plain, 0 flipped) of a list whose terms
    // hold the literals of these masks (bit j: literal j; at most kMaxTerms):
    // the cells of the sample's classes, the side weights and the weight
    // beyond the table, as ClassOrderedSample::partab() gives them.
    void table(int r, std::span<const std::uint32_t> terms, stats::CountTable& out) const;

    // A term that holds where the literals of `holds` hold and those of
    // `fails` fail (read plainly).
    struct Term {
        std::uint32_t holds = 0, fails = 0;
    };
    // The count table of a list of such terms whose members (where a term
    // holds) are of membership r; false, `out` untouched, for more than
    // kMaxTerms terms or more than kMaxLookups lookups.
    static constexpr int kMaxLookups = 4096;
    bool table(int r, std::span<const Term> terms, stats::CountTable& out) const;

    // Lists that share their terms before the last, of a Y of two classes:
    // begin() takes those terms, count() the last terms' masks and gives
    // each list's first four cells (ClassOrderedSample::Cells).
    class Run {
    public:
        void begin(const PatternCounts& counts, std::span<const std::uint32_t> before);
        void count(int r, std::span<const std::uint32_t> lasts, std::span<ClassOrderedSample::Cells> out) const;

    private:
        const PatternCounts* counts_ = nullptr;
        // The unions of the sets of terms before the last (the empty set's
        // first), with the sign each takes beside the last term.
        std::vector<std::uint32_t> unions_;
        std::vector<std::int32_t> signs_;
        std::array<std::array<std::uint32_t, 2>, 2> before_{}; // per side and class: where a term before holds
    };

private:
    // Per class, the weight where every literal of `set` holds (r 1) or fails (r 0).
    const std::uint32_t* all(int r, std::uint32_t set) const
    {
        return sums_[static_cast<std::size_t>(r)].data() + static_cast<std::size_t>(set) * classes_;
    }
    // The term of side r whose literals are those of `mask`: they hold
    // plainly (r 1), or fail (r 0: the list read flipped).
    static Term side_term(int r, std::uint32_t mask) { return r ? Term{mask, 0} : Term{0, mask}; }
    // Adds `sign` times the weight per class where every literal of `holds`
    // holds and every one of `fails` fails; returns the lookups it takes
    // (none when `count` is false).
    int conjunction(std::uint32_t holds, std::uint32_t fails, std::uint32_t sign, std::uint32_t* out,
                    bool count = true) const;
    // The table of side r from the weights `h` where a term holds.
    void table_of(int r, const std::uint32_t* h, stats::CountTable& out) const;

    int m_ = 0;
    std::size_t classes_ = 0;
    std::int64_t beyond_ = 0;
    std::array<std::vector<std::uint32_t>, 2> sums_; // per side: 2^m cells of `classes_` words
};

} // namespace meru::search
