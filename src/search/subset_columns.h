#pragma once
// The words of every term of up to k literals, made once per search and sense,
// so that a candidate's term is a lookup instead of an AND over its literals'
// columns. The literals are the search's literal list in a fixed order; a term
// is a set of positions in that list, given ascending, and its words are found
// by the term's rank in the colex order of the sets of its size.
//
// A term's words (see TermWords): it holds (no literal fails or is missing), it
// is undetermined (none fails, some is missing), and, with the skip flag only,
// some literal is missing; without it that word is 0.
//
// k is the largest term size whose sets fit the memory budget, at least 1 (the
// literals' own terms are always stored); a longer term, or one whose positions
// do not ascend, is made by AND-ing the remaining literals onto the longest
// stored prefix (make()).
#include "search/kernel_set.h"
#include "search/term_words.h"

#include <cstdint>
#include <span>
#include <vector>

namespace meru::search {

class SubsetColumns {
public:
    // `lits`: each literal's columns in this sense, in position order; `words`:
    // words per column (the counted units' words); `kmax`: the longest term the
    // search makes; `budget`: the bytes the terms longer than one literal may
    // bring the store to; `kernels`: the snapshot's kernels.
    void build(std::span<const UnitColumns::Lit> lits, std::size_t words, int kmax, bool skip, std::size_t budget,
               const KernelSet& kernels);

    int k() const { return k_; }
    // Words of the term of positions `pos` (ascending, at most k of them).
    TermWords stored(std::span<const int> pos) const
    {
        std::size_t rank = base_[pos.size()];
        for (std::size_t i = 0; i < pos.size(); ++i) rank += rank_of_[static_cast<std::size_t>(pos[i]) * kc_ + i];
        return words(data_.data() + rank * stride_);
    }
    // Words of the term of any positions (null for none: the term that holds),
    // stored or made into `scratch` (kept by the caller).
    TermWords make(std::span<const int> pos, std::vector<std::uint64_t>& scratch) const
    {
        return words(find(pos, scratch));
    }
    // The same as the start of its words (see words()).
    const std::uint64_t* find(std::span<const int> pos, std::vector<std::uint64_t>& scratch) const
    {
        const std::size_t r = rank(pos);
        return r != kNone ? at_rank(r) : made(pos, scratch);
    }
    // The rank of the stored term of positions `pos`, kNone when it is not
    // stored (empty, longer than k, positions not ascending). Tables built from
    // literal lists of one length with one k share their ranks.
    static constexpr std::size_t kNone = ~std::size_t{0};
    std::size_t rank(std::span<const int> pos) const
    {
        const std::size_t len = pos.size();
        if (len == 0 || len > static_cast<std::size_t>(k_)) return kNone;
        std::size_t rank = base_[len] + rank_of_[static_cast<std::size_t>(pos[0]) * kc_];
        bool ascend = true;
        for (std::size_t i = 1; i < len; ++i) {
            ascend &= pos[i] > pos[i - 1];
            rank += rank_of_[static_cast<std::size_t>(pos[i]) * kc_ + i];
        }
        return ascend ? rank : kNone;
    }
    // rank() of ascending positions pos[0..len) is rank_base(len) plus
    // rank_part(pos[i], i) over i.
    std::size_t rank_base(std::size_t len) const { return base_[len]; }
    std::size_t rank_part(int pos, std::size_t i) const { return rank_of_[static_cast<std::size_t>(pos) * kc_ + i]; }
    const std::uint64_t* at_rank(std::size_t rank) const { return data_.data() + rank * stride_; }
    // A term that is not stored, made into `scratch` (kept by the caller): its
    // words as a stored term's, the missing ones only with the skip flag.
    const std::uint64_t* made(std::span<const int> pos, std::vector<std::uint64_t>& scratch) const;
    // A term of two-valued literals (no skip flag) whose positions but the last
    // make a stored term: that term's holding words and the last literal's
    // failing words, so that the term need not be made; false for any other.
    bool joined(std::span<const int> pos, const std::uint64_t*& held, const std::uint64_t*& fail) const;
    // A term's words from their start: holds, undetermined, then (skip flag) missing.
    TermWords words(const std::uint64_t* t) const { return {t, t + words_, skip_ ? t + 2 * words_ : zero_.data()}; }
    // Words of no unit (an empty accumulation).
    TermWords none() const { return {zero_.data(), zero_.data(), zero_.data()}; }
    std::size_t words() const { return words_; }

private:
    void fill(int size, int last, const std::uint64_t* prefix, std::size_t rank);

    std::vector<UnitColumns::Lit> lits_;
    std::size_t words_ = 0, stride_ = 0;
    bool skip_ = false;
    bool two_valued_ = false; // no literal has a missing byte, no skip flag: no term leaves a unit undetermined
    int k_ = 0;
    std::vector<std::vector<std::size_t>> binom_; // binom_[n][j] = C(n, j), j <= k
    std::vector<std::size_t> base_;               // first rank of each size
    std::size_t kc_ = 1;                          // k, at least 1
    std::vector<std::size_t> rank_of_;            // [p * kc_ + i] = C(p, i + 1), i < k
    std::vector<std::uint64_t> data_;             // per rank: holds, undetermined, missing
    std::vector<std::uint64_t> zero_;
    decltype(KernelSet::and_literal) and_literal_ = nullptr;
    decltype(KernelSet::and_not) and_not_ = nullptr;
};

} // namespace meru::search
