#pragma once
// Bit columns of the attributes over a search's units (observations in an order
// the scorer chooses), and the membership words of a term list over them.
//
// Per attribute three columns (byte 1, byte 0, byte 255), built on the
// attribute's first use, and whether any unit has its byte missing. The words
// are padded to whole blocks of kBlock words; padding units pass every literal,
// so scorers give them no weight. A compiled list is two valued (no unit
// undetermined, none dropped) when none of its literals has a missing byte.
//
// membership_block() applies the membership rule of stats/membership.h to a
// block of words; it is inlined into each scorer's kernels, which are compiled
// for the population-count instruction where the processor has it.
#include "core/cpu_level.h"
#include "partition/termlist.h"
#include "stats/membership.h"

#include <cstdint>
#include <span>
#include <vector>


namespace meru::search {

class UnitColumns {
public:
    static constexpr std::size_t kBlock = 4;

    struct Lit {
        const std::uint64_t* fail;
        const std::uint64_t* miss;
    };
    // A term list ready for the kernels (reused from candidate to candidate).
    struct Compiled {
        int sense = 1;
        bool three = false; // some literal has a missing byte among the units
        std::vector<int> lp;
        std::vector<Lit> lits;
    };

    // `obs`: the observation of each unit; -1 makes a padding unit.
    UnitColumns(const stats::AttributeMatrix& abyte, std::vector<int> obs);

    std::size_t words() const { return words_; }
    std::size_t units() const { return obs_.size(); }
    const std::vector<int>& obs() const { return obs_; }
    const stats::AttributeMatrix& matrix() const { return abyte_; }

    // Builds the columns of these attributes (those not built yet, inside
    // 1..lc) in one pass over the units.
    void prepare(std::span<const int> attributes);
    // Reads the columns `other` has built instead of building them, where it
    // has the same units of the same data: a worker's snapshot then shares the
    // calling thread's columns, which stay in place while they are read (the
    // owner builds only the columns it had not built).
    void borrow(const UnitColumns& other);
    // Throws std::invalid_argument for a literal outside 1..lc or an inconsistent list.
    void compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, Compiled& out);
    // The columns of one literal in a list of the given sense, and whether its
    // attribute has a missing byte among the units (same checks as compile()).
    Lit literal(partition::Literal l, int sense, std::span<const std::int8_t> signbyte, bool& missing);

private:
    void build(int attribute);
    // The columns of these attributes (ascending, not built), by blocks of 64
    // units and 64 attributes with the processor's 512-bit byte compares.
    void build_by_blocks(std::span<const int> todo);
    // Marks these attributes built and notes which have a missing byte.
    void finish(std::span<const int> todo);

    stats::AttributeMatrix abyte_;
    std::vector<int> obs_;
    std::size_t words_ = 0;
    std::vector<std::vector<std::uint64_t>> cols_; // per attribute: its own columns (empty when borrowed)
    std::vector<const std::uint64_t*> col_;        // per attribute: the columns read, once built
    std::vector<char> built_, missing_;
};

// Membership words of the block at word w0: det marks units of membership 0 or 1
// (neither undetermined nor dropped by the skip flag), mem those of membership 1.
MERU_ALWAYS_INLINE void membership_block(const UnitColumns::Compiled& c, bool skip, std::size_t w0,
                                         std::uint64_t* det, std::uint64_t* mem)
{
    using u64 = std::uint64_t;
    constexpr std::size_t nw = UnitColumns::kBlock;
    const int q = static_cast<int>(c.lp.size());
    const UnitColumns::Lit* lit = c.lits.data();
    u64 any_true[nw] = {};
    if (!c.three) {
        for (int t = 0; t < q; ++t) {
            u64 pass[nw];
            for (std::size_t i = 0; i < nw; ++i) pass[i] = ~u64{0};
            for (int j = 0; j < c.lp[static_cast<std::size_t>(t)]; ++j, ++lit)
                for (std::size_t i = 0; i < nw; ++i) pass[i] &= ~lit->fail[w0 + i];
            for (std::size_t i = 0; i < nw; ++i) any_true[i] |= pass[i];
        }
        for (std::size_t i = 0; i < nw; ++i) {
            det[i] = ~u64{0};
            mem[i] = c.sense ? any_true[i] : ~any_true[i];
        }
        return;
    }
    u64 any_und[nw] = {}, skip_m[nw] = {};
    for (int t = 0; t < q; ++t) {
        u64 nofail[nw], pass[nw];
        for (std::size_t i = 0; i < nw; ++i) nofail[i] = pass[i] = ~u64{0};
        for (int j = 0; j < c.lp[static_cast<std::size_t>(t)]; ++j, ++lit) {
            const u64* f = lit->fail + w0;
            const u64* m = lit->miss + w0;
            for (std::size_t i = 0; i < nw; ++i) {
                nofail[i] &= ~f[i];
                pass[i] &= ~(f[i] | m[i]);
            }
            if (skip)
                for (std::size_t i = 0; i < nw; ++i) skip_m[i] |= m[i];
        }
        for (std::size_t i = 0; i < nw; ++i) {
            any_true[i] |= pass[i];
            any_und[i] |= nofail[i] & ~pass[i];
        }
    }
    for (std::size_t i = 0; i < nw; ++i) {
        const u64 d = (any_true[i] | ~any_und[i]) & ~skip_m[i];
        det[i] = d;
        mem[i] = d & (c.sense ? any_true[i] : ~any_true[i]);
    }
}

// A list's membership words kept as the OR over its terms of: the term holds
// (no literal fails or is missing), the term is undetermined (none fails, some
// is missing), and (only with the skip flag) some literal is missing.
struct TermWords {
    const std::uint64_t* any_true;
    const std::uint64_t* any_und;
    const std::uint64_t* skip_m;
};

} // namespace meru::search
