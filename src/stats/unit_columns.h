#pragma once
// Bit columns of the attributes over a sample's units (observations in an order
// the sample chooses), and the membership words of a term list over them: the
// one layout every bit-packed sample counts with (the partition sample, and the
// search's class-ordered and log-rank snapshots).
//
// Per attribute three columns (byte 1, byte 0, byte 255), built on the
// attribute's first use or, for those named to prepare(), in one pass over the
// units, and whether any unit has its byte missing. The words are padded to
// whole blocks of words; padding units pass every literal, so samples
// give them no weight. A compiled list is two valued (no unit undetermined, none
// dropped) when none of its literals has a missing byte.
//
// A copy made for another thread (Share) holds the same units and reads the
// columns built before it, which stay in place while they are read: the owner
// only ever adds the columns it had not built.
//
// membership_block() applies the membership rule of stats/membership.h to a
// block of words; it is inlined into each sample's kernels, which are compiled
// for the population-count instruction where the processor has it.
#include "core/cpu_level.h"
#include "files/dataset.h"
#include "partition/termlist.h"
#include "stats/membership.h"
#include "stats/parallel_for.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace meru::stats {

struct ColumnArgs;
struct SampleKernels;

// A long array over the units whose memory comes zeroed from the system and
// is not written on construction: the workers that fill a stretch of it are
// the first to touch its pages, instead of the calling thread clearing it all.
template <class T> using UnitArray = std::vector<T, files::ZeroedAllocator<T>>;

class UnitColumns {
public:
    // The words a column is padded to a multiple of, unless the sample asks
    // for another block.
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

    // `obs`: the observation of each unit; -1 makes a padding unit. The
    // columns are built by the kernel of `kernels` (stats/sample_kernels.h).
    UnitColumns(const AttributeMatrix& abyte, UnitArray<int> obs, const SampleKernels& kernels,
                std::size_t block = kBlock);
    struct Share {};
    UnitColumns(const UnitColumns& other, Share);
    UnitColumns(const UnitColumns&) = delete;
    UnitColumns& operator=(const UnitColumns&) = delete;

    std::size_t words() const { return words_; }
    std::size_t units() const { return obs_->size(); }
    const UnitArray<int>& obs() const { return *obs_; }
    const AttributeMatrix& matrix() const { return abyte_; }

    // Builds the columns of these attributes (those not built yet, inside
    // 1..lc) in one pass over the units, its stretches of words shared out
    // by `parallel`.
    void prepare(std::span<const int> attributes, const ParallelFor& parallel = {});
    // Throws std::invalid_argument for a literal outside 1..lc or an inconsistent list.
    void compile(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte, Compiled& out);
    // The columns of one literal in a list of the given sense, and whether its
    // attribute has a missing byte among the units (same checks as compile()).
    Lit literal(partition::Literal l, int sense, std::span<const std::int8_t> signbyte, bool& missing);

private:
    AttributeMatrix abyte_;
    std::shared_ptr<const UnitArray<int>> obs_;
    std::size_t words_ = 0;
    void (*columns_)(const ColumnArgs&) = nullptr;
    std::vector<UnitArray<std::uint64_t>> cols_;   // per attribute: its own columns (empty when read from the owner)
    std::vector<const std::uint64_t*> col_;        // per attribute: the columns read, once built
    std::vector<char> built_, missing_;
};

// Membership words of the N words from word w0: det marks units of membership 0
// or 1 (neither undetermined nor dropped by the skip flag), mem those of
// membership 1.
template <std::size_t N = UnitColumns::kBlock>
MERU_ALWAYS_INLINE void membership_block(const UnitColumns::Compiled& c, bool skip, std::size_t w0,
                                         std::uint64_t* det, std::uint64_t* mem)
{
    using u64 = std::uint64_t;
    const int q = static_cast<int>(c.lp.size());
    const UnitColumns::Lit* lit = c.lits.data();
    u64 any_true[N] = {};
    if (!c.three) {
        for (int t = 0; t < q; ++t) {
            u64 pass[N];
            for (std::size_t i = 0; i < N; ++i) pass[i] = ~u64{0};
            for (int j = 0; j < c.lp[static_cast<std::size_t>(t)]; ++j, ++lit)
                for (std::size_t i = 0; i < N; ++i) pass[i] &= ~lit->fail[w0 + i];
            for (std::size_t i = 0; i < N; ++i) any_true[i] |= pass[i];
        }
        for (std::size_t i = 0; i < N; ++i) {
            det[i] = ~u64{0};
            mem[i] = c.sense ? any_true[i] : ~any_true[i];
        }
        return;
    }
    u64 any_und[N] = {}, skip_m[N] = {};
    for (int t = 0; t < q; ++t) {
        u64 nofail[N], pass[N];
        for (std::size_t i = 0; i < N; ++i) nofail[i] = pass[i] = ~u64{0};
        for (int j = 0; j < c.lp[static_cast<std::size_t>(t)]; ++j, ++lit) {
            const u64* f = lit->fail + w0;
            const u64* m = lit->miss + w0;
            for (std::size_t i = 0; i < N; ++i) {
                nofail[i] &= ~f[i];
                pass[i] &= ~(f[i] | m[i]);
            }
            if (skip)
                for (std::size_t i = 0; i < N; ++i) skip_m[i] |= m[i];
        }
        for (std::size_t i = 0; i < N; ++i) {
            any_true[i] |= pass[i];
            any_und[i] |= nofail[i] & ~pass[i];
        }
    }
    for (std::size_t i = 0; i < N; ++i) {
        const u64 d = (any_true[i] | ~any_und[i]) & ~skip_m[i];
        det[i] = d;
        mem[i] = d & (c.sense ? any_true[i] : ~any_true[i]);
    }
}

} // namespace meru::stats
