// The split sums of a pair over the sample's bit columns: where each list holds
// comes from AND/OR over the literal columns, word by word; the sums then run over
// the set bits in observation order, so they match the plain kernel exactly.
#include "stats/partition_sample.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

namespace meru::stats {

namespace {

using u64 = std::uint64_t;

// Words where some term of the list holds (no literal fails, none is missing);
// with `terms` given, also the words of each term (term t from t * stride).
// `pass` is room for nw words when `terms` is null.
void hold_words(const std::vector<int>& lp, const PartitionSample::LitColumns* lit, std::size_t nw, u64* hold,
                u64* terms, std::size_t stride, u64* pass)
{
    std::fill_n(hold, nw, u64{0});
    for (std::size_t t = 0; t < lp.size(); ++t) {
        u64* p = terms ? terms + t * stride : pass;
        std::fill_n(p, nw, ~u64{0});
        for (int j = 0; j < lp[t]; ++j, ++lit) {
            const u64* f = lit->fail;
            const u64* m = lit->miss;
            for (std::size_t i = 0; i < nw; ++i) p[i] &= ~(f[i] | m[i]);
        }
        for (std::size_t i = 0; i < nw; ++i) hold[i] |= p[i];
    }
}

} // namespace

void PartitionSample::split_words(bool skip, bool per_term)
{
    const std::size_t n = obs_.size();
    const std::size_t nw = (n + 63) / 64;
    const u64 last = n % 64 ? (u64{1} << (n % 64)) - 1 : ~u64{0};
    std::fill_n(skipw_.begin(), nw, u64{0});
    if (skip)
        for (const LitColumns& l : lits_)
            for (std::size_t i = 0; i < nw; ++i) skipw_[i] |= l.miss[i];
    if (per_term) {
        terms1_.resize(std::max(terms1_.size(), lp_.size() * words_));
        terms2_.resize(std::max(terms2_.size(), lp2_.size() * words_));
    }
    hold_words(lp_, lits_.data(), nw, side1_.data(), per_term ? terms1_.data() : nullptr, words_, pass_.data());
    hold_words(lp2_, lits2_.data(), nw, side2_.data(), per_term ? terms2_.data() : nullptr, words_, pass_.data());
    // Hold words become the sides: an observation dropped by the skip flag counts
    // nowhere, side 2 takes what side 1 left, and bits past the last unit are off.
    for (std::size_t i = 0; i < nw; ++i) {
        const u64 live = (i + 1 == nw ? last : ~u64{0}) & ~skipw_[i];
        const u64 s1 = side1_[i] & live;
        side2_[i] &= live & ~s1;
        side1_[i] = s1;
    }
    if (per_term) {
        for (std::size_t t = 0; t < lp_.size(); ++t)
            for (std::size_t i = 0; i < nw; ++i) terms1_[t * words_ + i] &= side1_[i];
        for (std::size_t t = 0; t < lp2_.size(); ++t)
            for (std::size_t i = 0; i < nw; ++i) terms2_[t * words_ + i] &= side2_[i];
    }
}

namespace {

// Running sums of one slot.
struct Acc {
    std::int64_t c = 0;
    double s = 0.0, ss = 0.0;
    void add(int w, double wy, double wy2)
    {
        c += w;
        s += wy;
        ss += wy2;
    }
    // Adds the unit when `bit` is 1 and +0 (which leaves a sum that started at +0
    // unchanged) when it is 0, by masking the bits: no branch to mispredict.
    void add_masked(u64 bit, int w, double wy, double wy2)
    {
        const u64 mask = u64{0} - bit;
        c += static_cast<std::int64_t>(static_cast<u64>(static_cast<std::int64_t>(w)) & mask);
        s += std::bit_cast<double>(std::bit_cast<u64>(wy) & mask);
        ss += std::bit_cast<double>(std::bit_cast<u64>(wy2) & mask);
    }
    void store(SplitSlots::Side& side, std::size_t slot) const
    {
        side.count[slot] = c;
        side.sum[slot] = s;
        side.sumsq[slot] = ss;
    }
};

} // namespace

void PartitionSample::add_in_order(const u64* valid, const double* wy, const double* wy2, const u64* a,
                                   SplitSlots::Side& side_a, std::size_t slot_a, const u64* b,
                                   SplitSlots::Side* side_b, std::size_t slot_b) const
{
    // Two slots at once: their sums are separate chains of additions, which the
    // processor then runs side by side.
    Acc x, y;
    if (by_obs_.empty()) {
        const std::size_t nw = (obs_.size() + 63) / 64;
        const auto take = [&](u64& m, std::size_t i, Acc& acc) {
            const std::size_t u = i * 64 + static_cast<std::size_t>(std::countr_zero(m));
            m &= m - 1;
            acc.add(weight_[u], wy[u], wy2[u]);
        };
        for (std::size_t i = 0; i < nw; ++i) {
            const u64 v = valid ? valid[i] : ~u64{0};
            u64 ma = a[i] & v, mb = b ? b[i] & v : 0;
            // One unit of each slot in turn keeps both chains busy.
            while (ma && mb) {
                take(ma, i, x);
                take(mb, i, y);
            }
            while (ma) take(ma, i, x);
            while (mb) take(mb, i, y);
        }
    } else {
        for (int unit : by_obs_) {
            const auto u = static_cast<std::size_t>(unit);
            const u64 v = valid ? (valid[u / 64] >> (u % 64)) & 1 : 1;
            x.add_masked((a[u / 64] >> (u % 64)) & v, weight_[u], wy[u], wy2[u]);
            if (b) y.add_masked((b[u / 64] >> (u % 64)) & v, weight_[u], wy[u], wy2[u]);
        }
    }
    x.store(side_a, slot_a);
    if (side_b) y.store(*side_b, slot_b);
}

SplitSums PartitionSample::split_layer(const u64* valid, const double* wy, const double* wy2, bool per_term,
                                       SplitSlots& slots) const
{
    const int q1 = static_cast<int>(lp_.size()), q2 = static_cast<int>(lp2_.size());
    slots.first.clear(q1);
    slots.second.clear(q2);
    add_in_order(valid, wy, wy2, side1_.data(), slots.first, static_cast<std::size_t>(q1), side2_.data(),
                 &slots.second, static_cast<std::size_t>(q2));
    if (per_term) {
        for (std::size_t t = 0; t < lp_.size(); ++t)
            add_in_order(valid, wy, wy2, terms1_.data() + t * words_, slots.first, t, nullptr, nullptr, 0);
        for (std::size_t t = 0; t < lp2_.size(); ++t)
            add_in_order(valid, wy, wy2, terms2_.data() + t * words_, slots.second, t, nullptr, nullptr, 0);
    }
    return finish_split(slots, q1, q2, per_term);
}

SplitSums PartitionSample::splittab(const partition::Partition& pair, std::span<const std::int8_t> signbyte,
                                    bool skip, bool per_term, SplitSlots& slots)
{
    const int s1 = pair.first_sense();
    compile_into(pair.first, s1, signbyte, lp_, lits_);
    compile_into(pair.second, 1 - s1, signbyte, lp2_, lits2_);
    split_words(skip, per_term);
    return split_layer(nullptr, wy_.data(), wy2_.data(), per_term, slots);
}

void PartitionSample::splittab(const partition::Partition& pair, std::span<const std::int8_t> signbyte, bool skip,
                               bool per_term, std::span<const YLayer* const> layers, std::span<SplitSums> out,
                               SplitSlots& slots)
{
    if (out.size() < layers.size()) throw std::invalid_argument("fewer results than layers");
    const int s1 = pair.first_sense();
    compile_into(pair.first, s1, signbyte, lp_, lits_);
    compile_into(pair.second, 1 - s1, signbyte, lp2_, lits2_);
    split_words(skip, per_term);
    for (std::size_t j = 0; j < layers.size(); ++j)
        out[j] = split_layer(layers[j]->valid.data(), layers[j]->wy.data(), layers[j]->wy2.data(), per_term, slots);
}

} // namespace meru::stats
