#pragma once
// The one membership rule: is an observation a member (1) of the subgroup that a
// term list describes, a non-member (0), or undetermined (-1) because a byte it
// needs is missing? Every kernel that looks at a partition through the attribute
// matrix uses this rule (the bit-packed PartitionSample computes exactly the same).
//
// Rule, for a list of sense s (1 plain, 0 flipped):
//  - Literal l of attribute a = |l| with byte b: its failing value f is 1 - s,
//    turned to s when the literal is "turned": l > 1 with sign byte -1, or l < 0
//    with sign byte +1 (a sign byte 0 counts as +1). The positive literal +1 of the
//    null attribute is never turned. b = 255 makes the literal missing, b = f makes
//    it fail, any other byte lets it pass.
//  - A term fails when any literal fails; it is true when none fails and none is
//    missing (a term of no literals is true); otherwise it is undetermined.
//  - m = s when some term is true; otherwise -1 when some term is undetermined;
//    otherwise 1 - s. A list of no terms gives 1 - s.
// With s = 1, m = 1 marks the observations satisfying the sum of terms; with s = 0
// those satisfying the list read as a product of clauses: m = 1 marks A in both.
//
// The skip flag ("Skip if any missing in combination"): with q >= 1, an
// observation with a missing byte for any literal of the list is dropped before
// its membership is worked out.
#include "partition/termlist.h"
#include "stats/parallel_for.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

namespace meru::stats {

inline constexpr std::uint8_t kMissingByte = 255;

// A read-only view of the attribute matrix: `lc` bytes per observation (attribute
// 1 first), observations one after the other: byte of attribute a (1-based) for
// observation i (0-based) at i*lc + a - 1.
struct AttributeMatrix {
    const std::uint8_t* bytes = nullptr;
    int lc = 0; // attribute dimension
    int n = 0;  // observations

    AttributeMatrix() = default;
    // Throws std::invalid_argument when `b` holds fewer than lc*n bytes.
    AttributeMatrix(std::span<const std::uint8_t> b, int lc_, int n_);

    const std::uint8_t* row(int i) const
    {
        return bytes + static_cast<std::size_t>(i) * static_cast<std::size_t>(lc);
    }
    std::uint8_t at(int i, int a) const { return row(i)[a - 1]; }
};

// A term list prepared for evaluation: each literal as the byte offset of its
// attribute within a row and its failing value. Reusable: compile() keeps the
// capacity of earlier lists, so evaluating candidate after candidate allocates
// nothing once the largest list has been seen.
class CompiledList {
public:
    struct Lit {
        int index;         // attribute - 1
        std::uint8_t fail; // failing byte value, 0 or 1
    };

    // `signbyte[a]` is the sign of attribute a (element 0 unused; attributes beyond
    // the span count as +1). Throws std::invalid_argument for a literal 0, an
    // attribute above `lc` or an inconsistent list.
    void compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, int lc);

    int sense() const { return sense_; }
    int q() const { return static_cast<int>(lp_.size()); }
    std::span<const int> lp() const { return lp_; }
    std::span<const Lit> lits() const { return lits_; }

    // State of the term of `len` literals from `lit` for the observation whose
    // bytes are `row`: a literal whose byte is its failing value fails the term at
    // once; otherwise a missing byte leaves it undetermined.
    enum class TermState { holds, fails, undetermined };
    static TermState term_state(const Lit* lit, int len, const std::uint8_t* row)
    {
        bool missing = false;
        for (const Lit* end = lit + len; lit != end; ++lit) {
            const std::uint8_t b = row[lit->index];
            if (b == kMissingByte) missing = true;
            else if (b == lit->fail) return TermState::fails;
        }
        return missing ? TermState::undetermined : TermState::holds;
    }

    // Membership 1, 0 or -1 of the observation whose bytes are `row`.
    int membership(const std::uint8_t* row) const;
    // True when the skip flag drops this observation: q >= 1 and some literal's
    // byte is missing.
    bool skipped(const std::uint8_t* row) const;

private:
    int sense_ = 1;
    std::vector<int> lp_;
    std::vector<Lit> lits_;
};

// Failing value of literal l in a list of sense s (the literal test above).
int failing_value(partition::Literal l, int sense, std::span<const std::int8_t> signbyte);

// Compiling a term list, as every evaluation does it: checks that the term lengths
// match the literals and that each literal names an attribute 1..lc (throwing
// std::invalid_argument otherwise), copies the term lengths into `lp` and calls
// each(attribute, failing value) for the literals in order.
template <class Each>
void compile_terms(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, int lc,
                   std::vector<int>& lp, Each&& each)
{
    if (!list.consistent()) throw std::invalid_argument("term list lengths do not match its literals");
    lp.assign(list.lp.begin(), list.lp.end());
    for (partition::Literal l : list.lits) {
        const int a = partition::attribute_of(l);
        if (a < 1 || a > lc) throw std::invalid_argument("literal outside the attribute matrix");
        each(a, failing_value(l, sense, signbyte));
    }
}

// Membership of every observation, -1 for those the skip flag drops (no mask,
// weight or Y test). `out` holds abyte.n values. `parallel` shares out
// stretches of the observations.
void membership_column(const AttributeMatrix& abyte, const CompiledList& list, bool skip, std::span<std::int8_t> out,
                       const ParallelFor& parallel = {});

} // namespace meru::stats
