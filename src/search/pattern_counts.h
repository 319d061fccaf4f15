#pragma once
// Counting each pattern of a search's literals once. With m literals in use a
// unit's pattern is the m bits "its literal holds" (read plainly); one pass
// over the units adds what a criterion needs (the weight of each Y class, or
// the weight and the sums of Y and Y^2) into each of the 2^m patterns' cells,
// and a sum over the supersets of every pattern (the zeta transform, m 2^m
// additions per value) gives, per set S of literals, the sums where every
// literal of S holds. The same over the patterns' complements gives them
// where every literal of S fails, which is where a term of S holds when the
// list is read flipped. A list of terms T_1..T_q then holds on
//   sum over the non-empty sets J of terms of (-1)^(|J| + 1) F(union of J)
// (inclusion and exclusion): every candidate's table or sums from a few
// lookups. A term whose literals ask some bits to hold and others to fail
// takes, over the smaller of the two sets, a sum of lookups with
// alternating signs.
//
// Exact where every literal is two valued among the units (no missing byte):
// counts are kept in 32-bit words, whose sums wrap but give every count
// exactly while the weights sum in magnitude below 2^31; sums of Y in
// double, as exact as their rounding allows.
#include "partition/termlist.h"
#include "search/class_sample.h"
#include "search/term_words.h"
#include "stats/count_table.h"
#include "stats/criterion.h"
#include "stats/membership.h"
#include "stats/split_sums.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace meru::search {

// A term over the pattern's literals: it holds where the literals of `holds`
// hold and those of `fails` fail (read plainly; bit j: literal j).
struct PatternTerm {
    std::uint32_t holds = 0, fails = 0;
};

// The cells of the 2^m patterns, `width` values each, summed over supersets
// for both sides. T: std::uint32_t (wrapping sums) or double.
template <class T> class PatternCells {
public:
    static constexpr int kMaxLiterals = 30;
    static constexpr int kMaxTerms = 8;
    static constexpr int kMaxLookups = 4096;
    // The bytes the cells of m literals of `width` values take.
    static std::size_t bytes(int m, std::size_t width) { return 2 * (std::size_t{1} << m) * width * sizeof(T); }

    PatternCells() = default;
    // From the cells of each pattern (2^m of `width` values, pattern by pattern).
    PatternCells(int m, std::size_t width, std::vector<T> cells);

    std::size_t width() const { return width_; }
    // The values where every literal of `set` holds (side 1) or fails (side 0);
    // those of the empty set are the totals.
    const T* all(int r, std::uint32_t set) const
    {
        return sums_[static_cast<std::size_t>(r)].data() + static_cast<std::size_t>(set) * width_;
    }
    // Adds `sign` times the values where the term holds; returns the lookups
    // it takes (none when `count` is false; 0 for a term that never holds).
    int conjunction(PatternTerm t, T sign, T* out, bool count = true) const;
    // The values (into `out`, `width` of them) where some term holds; false,
    // `out` untouched, for more than kMaxTerms terms or kMaxLookups lookups.
    bool holds(std::span<const PatternTerm> terms, T* out) const;

private:
    std::size_t width_ = 0;
    std::array<std::vector<T>, 2> sums_; // per side
};

// The count tables of a class-ordered sample's units.
class PatternCounts {
public:
    using Cells = PatternCells<std::uint32_t>;
    static constexpr int kMaxLiterals = Cells::kMaxLiterals;
    static constexpr int kMaxTerms = Cells::kMaxTerms;

    // Whether the sample's units can be counted so (their weights sum in
    // magnitude below 2^31).
    static bool fits(const ClassOrderedSample& sample);

    // Counts the sample's units by the patterns of these literals (each
    // literal's columns read plainly, two valued among the units; at most
    // kMaxLiterals), shared out by `parallel` where it is given.
    PatternCounts(const ClassOrderedSample& sample, std::span<const UnitColumns::Lit> plain,
                  const stats::ParallelFor& parallel = {});

    // The count table of side r (1 plain, 0 flipped) of a list whose terms
    // hold the literals of these masks (at most kMaxTerms): the cells of the
    // sample's classes, the side weights and the weight beyond the table, as
    // ClassOrderedSample::partab() gives them.
    void table(int r, std::span<const std::uint32_t> terms, stats::CountTable& out) const;
    // The count table of a list of any terms whose members (where a term
    // holds) are of membership r; false, `out` untouched, where
    // PatternCells::holds() refuses.
    bool table(int r, std::span<const PatternTerm> terms, stats::CountTable& out) const;

    // Lists that share their terms before the last, of a Y of two classes:
    // begin() takes those terms, count() the last terms' masks and gives
    // each list's first four cells (ClassOrderedSample::Cells).
    class Run {
    public:
        void begin(const PatternCounts& counts, std::span<const std::uint32_t> before);
        void count(int r, std::span<const std::uint32_t> lasts, std::span<ClassOrderedSample::Cells> out) const;

    private:
        const Cells* cells_ = nullptr;
        // The unions of the sets of terms before the last (the empty set's
        // first), with the sign each takes beside the last term.
        std::vector<std::uint32_t> unions_;
        std::vector<std::uint32_t> signs_;
        std::array<std::array<std::uint32_t, 2>, 2> before_{}; // per side and class: where a term before holds
    };

private:
    // The table of side r from the weights `h` where a term holds.
    void table_of(int r, const std::uint32_t* h, stats::CountTable& out) const;

    Cells cells_;
    std::int64_t beyond_ = 0;
};

// The term of side r whose literals are those of `mask`: they hold plainly
// (r 1), or fail (r 0: the list read flipped).
inline PatternTerm side_term(int r, std::uint32_t mask) { return r ? PatternTerm{mask, 0} : PatternTerm{0, mask}; }

// The term of `lits` read in `sense` (partition::kPlain or kFlipped):
// place(a) gives the bit of attribute a's literal among the pattern's and
// that literal (bit -1: none). A literal holds where its bit is set when it
// is that literal read plainly or its complement read flipped. False for a
// literal whose attribute has no bit.
template <class Place>
bool pattern_term(std::span<const partition::Literal> lits, int sense, Place&& place, PatternTerm& out)
{
    out = {};
    for (const partition::Literal l : lits) {
        const auto [bit, literal] = place(partition::attribute_of(l));
        if (bit < 0) return false;
        ((l == literal) == (sense == partition::kPlain) ? out.holds : out.fails) |= 1u << bit;
    }
    return true;
}

// The split sums of the mean-square criteria over a sample's observations:
// per pattern the weight, the sum of w y and of y w y (each observation's
// w y and y w y formed in single precision, as splittab() forms them).
class PatternSums {
public:
    using Cells = PatternCells<double>;
    static constexpr std::size_t kWidth = 3;

    // Over the observations splittab() counts in `view` (in the mask, weight
    // not 0, Y not missing), by the patterns of these literals (at most
    // kMaxLiterals, read with the sign bytes); null when a literal's byte is
    // not 0 or 1 in such an observation, or the weights sum in magnitude to
    // 2^53 or more.
    static std::unique_ptr<PatternSums> make(const stats::SampleView& view,
                                             std::span<const partition::Literal> literals,
                                             std::span<const std::int8_t> signbyte);

    // The split sums of `pair` as stats::splittab() gives them (the sums of
    // Y within their rounding), where its lists' literals are among these
    // (or their complements), its second list being its first's complement
    // over the observations (as a pair is made: no observation is missing
    // in them) and its first list of at most kMaxTerms terms; false
    // otherwise.
    bool split(const partition::Partition& pair, bool per_term, stats::SplitSlots& slots,
               stats::SplitSums& out) const;
    // Whether split_first() takes a first list of these terms: at most
    // kMaxTerms, each literal one of these as it stands.
    bool serves(const partition::TermList& first) const;
    // The split sums of a pair whose first list, read in `sense`, is `first`
    // (where serves() it), without sums per term: as split() gives them,
    // the second list not read.
    void split_first(const partition::TermList& first, int sense, stats::SplitSlots& slots,
                     stats::SplitSums& out) const;

private:
    PatternSums(Cells cells, std::vector<int> bit, std::vector<partition::Literal> literal)
        : cells_(std::move(cells)), bit_(std::move(bit)), literal_(std::move(literal))
    {}
    // The slots of the first list's total, read in `sense`, and of the
    // second's (of q2 terms), the other slots cleared; false where split()
    // cannot take the list.
    bool sides(const partition::TermList& first, int sense, int q2, stats::SplitSlots& slots) const;
    // The term of `lits` read in `sense`; false for a literal not among these.
    bool term_of(std::span<const partition::Literal> lits, int sense, PatternTerm& out) const;

    Cells cells_;
    std::vector<int> bit_;                    // per attribute: its literal's bit, or -1
    std::vector<partition::Literal> literal_; // per bit: the literal
};

} // namespace meru::search
