#include "search/class_sample.h"

#include "search/class_sample_kernels.h"
#include "stats/membership.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <stdexcept>

namespace meru::search {

using kernels::u64;

ClassOrderedSample::ClassOrderedSample(const stats::SampleView& view, int nclasses, Level most)
{
    view.check();
    nclasses_ = std::clamp(nclasses, 0, stats::CountTable::max_classes);
    std::vector<int> cls, weight;
    std::vector<int> obs;
    for (int i = 0; i < view.abyte.n; ++i) {
        const auto ix = static_cast<std::size_t>(i);
        const int w = view.weights[ix];
        if (!view.mask[ix] || w == 0) continue;
        const int c = stats::y_class(view.y[ix], nclasses_);
        if (c < 0) continue;
        if (c == nclasses_) { // counted in no cell
            beyond_ += w;
            continue;
        }
        obs.push_back(i);
        cls.push_back(c);
        weight.push_back(w);
    }
    std::vector<std::size_t> order(obs.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const auto width = [&](std::size_t u) { return std::bit_width(static_cast<std::uint32_t>(weight[u])); };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return cls[a] != cls[b] ? cls[a] < cls[b] : width(a) > width(b);
    });
    // For the run kernel (two classes, every unit weighing 1, fewer than 1024
    // words) class 1 starts on a new word: the units of class 0 are followed by
    // padding units up to the word's end, which belong to no plane.
    const auto ones = static_cast<std::size_t>(std::count(weight.begin(), weight.end(), 1));
    const auto zeros = static_cast<std::size_t>(std::count(cls.begin(), cls.end(), 0));
    const std::size_t gap = (64 - zeros % 64) % 64;
    const bool aligned = nclasses_ == 2 && ones == obs.size() && zeros > 0 && zeros < obs.size() &&
                         (obs.size() + gap + 63) / 64 < 1024;
    // at[u]: the unit that order[u] becomes.
    std::vector<std::size_t> at(order.size());
    for (std::size_t u = 0; u < order.size(); ++u) at[u] = aligned && u >= zeros ? u + gap : u;
    {
        std::vector<int> o(order.empty() ? 0 : at.back() + 1, -1);
        for (std::size_t u = 0; u < order.size(); ++u) o[at[u]] = obs[order[u]];
        columns_ = std::make_unique<UnitColumns>(view.abyte, std::move(o));
    }
    // The padding units belong to no plane and so are never counted.
    const std::size_t words = columns_->words();

    // One plane per (class, weight bit) that occurs; a class's units are
    // contiguous, so its planes' words are too.
    std::vector<int> index(static_cast<std::size_t>(nclasses_) * 32, -1);
    for (std::size_t u = 0; u < order.size(); ++u) {
        const int c = cls[order[u]];
        auto bits = static_cast<std::uint32_t>(weight[order[u]]);
        while (bits) {
            const int b = std::countr_zero(bits);
            bits &= bits - 1;
            int& plane = index[static_cast<std::size_t>(c * 32 + b)];
            if (plane < 0) {
                plane = static_cast<int>(planes_.size());
                Plane p;
                p.cls = c;
                p.value = b == 31 ? -(std::int64_t{1} << 31) : (std::int64_t{1} << b);
                p.lo = static_cast<std::uint32_t>(words);
                p.at = planes_.size() * words;
                planes_.push_back(p);
                bits_.resize(planes_.size() * words, 0);
            }
            Plane& p = planes_[static_cast<std::size_t>(plane)];
            const std::size_t x = at[u];
            bits_[p.at + x / 64] |= u64{1} << (x % 64);
            p.lo = std::min(p.lo, static_cast<std::uint32_t>(x / 64));
            p.hi = std::max(p.hi, static_cast<std::uint32_t>(x / 64 + 1));
        }
    }
    acc_det_.assign(planes_.size(), 0);
    acc_mem_.assign(planes_.size(), 0);
    det_.assign(std::max<std::size_t>(unit_words(), 1), 0);
    mem_.assign(det_.size(), 0);
    terms_ = {unit_words(), planes_.data(), planes_.size(), bits_.data(),
              det_.data(),  mem_.data(),    nclasses_,      beyond_};
    const CpuLevel level = std::min(cpu_level(), most);
    list_fn_ = kernels::pick_list(level);
    terms_fn_ = kernels::pick_terms(level, false);
    terms_skip_fn_ = kernels::pick_terms(level, true);
    // Two classes of units that weigh 1: a plane per class.
    if (aligned) {
        const std::size_t first = planes_[0].cls == 0 ? 0 : 1;
        const u64 *c0 = bits_.data() + planes_[first].at, *c1 = bits_.data() + planes_[1 - first].at;
        valid_.resize(unit_words());
        for (std::size_t w = 0; w < valid_.size(); ++w) valid_[w] = c0[w] | c1[w];
        run_scratch_.resize(3 * unit_words());
        run_ = {unit_words(), c0, c1, valid_.data(), (zeros + gap) / 64, run_scratch_.data()};
        run_fn_ = kernels::pick_run(level, false, unit_words(), run_.split);
        run_skip_fn_ = kernels::pick_run(level, true, unit_words(), run_.split);
    }
}

void ClassOrderedSample::partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                bool skip, stats::CountTable& out)
{
    columns_->compile(list, sense, signbyte, list_);
    out.clear();
    tabulate({columns_->words(), skip, &list_}, out);
}

void ClassOrderedSample::partab_terms(const TermWords& before, const TermWords& last, bool skip, int sense,
                                      stats::CountTable& out)
{
    (skip ? terms_skip_fn_ : terms_fn_)(terms_, before, last, sense, out);
}

void ClassOrderedSample::partab_run(const TermWords& before, std::span<const std::uint64_t* const> lasts, bool skip,
                                    int sense, std::span<Cells> out)
{
    if (RunFn f = skip ? run_skip_fn_ : run_fn_) {
        f(run_, before, lasts, skip, sense, out);
        return;
    }
    const std::size_t words = unit_words();
    for (std::size_t i = 0; i < lasts.size(); ++i) {
        const std::uint64_t* t = lasts[i];
        const TermWords last{t, t + words, skip ? t + 2 * words : nullptr};
        partab_terms(before, last, skip, sense, run_table_);
        std::copy_n(run_table_.cells.begin(), 4, out[i].begin());
    }
}

void ClassOrderedSample::tabulate(const Kernel& in, stats::CountTable& out)
{
    std::fill(acc_det_.begin(), acc_det_.end(), 0);
    std::fill(acc_mem_.begin(), acc_mem_.end(), 0);
    list_fn_({in.words, in.skip, in.list, planes_.data(), planes_.size(), bits_.data(), acc_det_.data(),
              acc_mem_.data()});
    out.beyond = beyond_;
    for (std::size_t j = 0; j < planes_.size(); ++j) {
        const auto c = static_cast<std::size_t>(planes_[j].cls);
        const std::int64_t v = planes_[j].value;
        const auto members = static_cast<std::int64_t>(acc_mem_[j]);
        const auto others = static_cast<std::int64_t>(acc_det_[j]) - members;
        out.cells[2 * c + 1] += v * members;
        out.cells[2 * c] += v * others;
        out.w1 += v * members;
        out.w0 += v * others;
    }
}

} // namespace meru::search
