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
    : ClassOrderedSample(view, nclasses, kernel_set(std::min(cpu_level(), most)))
{}

ClassOrderedSample::ClassOrderedSample(const stats::SampleView& view, int nclasses, const KernelSet& kernels)
    : kernels_(kernels)
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
    // Segments: the units of one class and weight; too many of them, and the
    // units go by class and the width of their weights.
    std::vector<std::pair<int, int>> kinds;
    for (std::size_t u = 0; u < obs.size() && kinds.size() <= kMaxSegments; ++u) {
        const std::pair kind{cls[u], weight[u]};
        if ((kinds.empty() || kinds.back() != kind) && std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
            kinds.push_back(kind);
    }
    const bool segmented = kinds.size() <= kMaxSegments;
    std::vector<std::size_t> order(obs.size());
    if (segmented) {
        // Few kinds: the units go kind by kind, in order within each.
        std::sort(kinds.begin(), kinds.end());
        std::vector<std::size_t> start(kinds.size() + 1, 0);
        std::vector<std::size_t> kind_of(obs.size());
        for (std::size_t u = 0; u < obs.size(); ++u) {
            kind_of[u] = static_cast<std::size_t>(
                std::lower_bound(kinds.begin(), kinds.end(), std::pair{cls[u], weight[u]}) - kinds.begin());
            ++start[kind_of[u] + 1];
        }
        std::partial_sum(start.begin(), start.end(), start.begin());
        for (std::size_t u = 0; u < obs.size(); ++u) order[start[kind_of[u]]++] = u;
    } else {
        std::iota(order.begin(), order.end(), std::size_t{0});
        const auto width = [&](std::size_t u) { return std::bit_width(static_cast<std::uint32_t>(weight[u])); };
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return cls[a] != cls[b] ? cls[a] < cls[b] : width(a) > width(b);
        });
    }
    // For the run kernels (two classes) each segment starts on a new word: its
    // units are followed by padding units up to the word's end, which belong
    // to no plane. at[u]: the unit that order[u] becomes.
    const bool runs = segmented && nclasses_ == 2 && !obs.empty();
    std::vector<std::size_t> at(order.size());
    for (std::size_t u = 0, x = 0; u < order.size(); ++u, ++x) {
        const bool starts = u > 0 && (cls[order[u]] != cls[order[u - 1]] || weight[order[u]] != weight[order[u - 1]]);
        if (runs && starts) x = (x + 63) / 64 * 64;
        at[u] = x;
    }
    {
        std::vector<int> o(order.empty() ? 0 : at.back() + 1, -1);
        for (std::size_t u = 0; u < order.size(); ++u) o[at[u]] = obs[order[u]];
        columns_ = std::make_unique<UnitColumns>(view.abyte, std::move(o), kernels_.sample);
    }
    // The padding units belong to no plane and so are never counted.
    const std::size_t words = columns_->words();
    auto made = std::make_shared<Planes>();
    std::vector<Plane>& planes = made->planes;
    std::vector<u64>& plane_bits = made->bits;

    // One plane per segment, or per (class, weight bit) that occurs; a class's
    // units are contiguous, so its planes' words are too.
    std::vector<int> index(static_cast<std::size_t>(nclasses_) * 32, -1);
    const auto plane_of = [&](int c, std::int64_t value, int& slot) -> Plane& {
        if (slot < 0) {
            slot = static_cast<int>(planes.size());
            Plane p;
            p.cls = c;
            p.value = value;
            p.lo = static_cast<std::uint32_t>(words);
            p.at = planes.size() * words;
            planes.push_back(p);
            plane_bits.resize(planes.size() * words, 0);
        }
        return planes[static_cast<std::size_t>(slot)];
    };
    const auto add = [&](Plane& p, std::size_t x) {
        plane_bits[p.at + x / 64] |= u64{1} << (x % 64);
        p.lo = std::min(p.lo, static_cast<std::uint32_t>(x / 64));
        p.hi = std::max(p.hi, static_cast<std::uint32_t>(x / 64 + 1));
    };
    int segment = -1;
    for (std::size_t u = 0; u < order.size(); ++u) {
        const int c = cls[order[u]];
        if (segmented) {
            if (u > 0 && (c != cls[order[u - 1]] || weight[order[u]] != weight[order[u - 1]])) segment = -1;
            add(plane_of(c, weight[order[u]], segment), at[u]);
            continue;
        }
        auto bits = static_cast<std::uint32_t>(weight[order[u]]);
        while (bits) {
            const int b = std::countr_zero(bits);
            bits &= bits - 1;
            add(plane_of(c, b == 31 ? -(std::int64_t{1} << 31) : (std::int64_t{1} << b),
                         index[static_cast<std::size_t>(c * 32 + b)]),
                at[u]);
        }
    }
    if (runs) {
        made->valid.assign(unit_words(), 0);
        for (const Plane& p : planes)
            for (std::size_t w = p.lo; w < p.hi; ++w) made->valid[w] |= plane_bits[p.at + w];
    }
    planes_ = std::move(made);
    runs_ = runs;
    set_kernels();
}

ClassOrderedSample::ClassOrderedSample(const ClassOrderedSample& other, Share)
    : nclasses_(other.nclasses_), beyond_(other.beyond_),
      columns_(std::make_unique<UnitColumns>(*other.columns_, UnitColumns::Share{})), planes_(other.planes_),
      kernels_(other.kernels_), runs_(other.runs_)
{
    set_kernels();
}

void ClassOrderedSample::set_kernels()
{
    const bool runs = runs_;
    const std::vector<Plane>& planes = planes_->planes;
    const u64* bits = planes_->bits.data();
    acc_det_.assign(planes.size(), 0);
    acc_mem_.assign(planes.size(), 0);
    det_.assign(std::max<std::size_t>(unit_words(), 1), 0);
    mem_.assign(det_.size(), 0);
    terms_ = {unit_words(), planes.data(), planes.size(), bits, det_.data(), mem_.data(), nclasses_, beyond_};
    const CpuLevel level = kernels_.level;
    if (runs) {
        run_scratch_.resize(3 * unit_words());
        run_ = {unit_words(),       planes.data(), planes.size(), planes_->valid.data(), nullptr, nullptr, 0,
                run_scratch_.data()};
        // Two classes of units that weigh 1: a plane per class.
        const bool ones = planes.size() == 2 && planes[0].value == 1 && planes[1].value == 1;
        if (ones) {
            run_.class0 = bits + planes[0].at;
            run_.class1 = bits + planes[1].at;
            run_.split = planes[1].lo;
        }
        run_fn_ = kernels::pick_run(level, false, run_);
        run_skip_fn_ = kernels::pick_run(level, true, run_);
        // The vector kernels of small samples of units that weigh 1 are quicker still.
        if (!ones || level < CpuLevel::avx512 || unit_words() >= 1024) run_two_fn_ = kernels::pick_run_two(level);
    }
}

void ClassOrderedSample::partab(const partition::TermList& list, int sense, std::span<const std::int8_t> signbyte,
                                bool skip, stats::CountTable& out)
{
    columns_->compile(list, sense, signbyte, list_);
    out.clear();
    tabulate({columns_->words(), skip, &list_}, out);
}

void ClassOrderedSample::partab_joined(const TermWords& before, const std::uint64_t* held, const std::uint64_t* fail,
                                       int sense, stats::CountTable& out)
{
    kernels_.terms_joined(terms_, before, {held, fail, nullptr}, sense, out);
}

void ClassOrderedSample::partab_terms(const TermWords& before, const TermWords& last, bool skip, int sense,
                                      stats::CountTable& out, bool two_valued)
{
    const KernelSet& k = kernels_;
    const TermsFn f = !skip && two_valued && k.terms_two ? k.terms_two : skip ? k.terms_skip : k.terms;
    f(terms_, before, last, sense, out);
}

void ClassOrderedSample::partab_run(const TermWords& before, std::span<const std::uint64_t* const> lasts, bool skip,
                                    int sense, std::span<Cells> out, bool two_valued)
{
    if (RunFn f = two_valued && run_two_fn_ ? run_two_fn_ : skip ? run_skip_fn_ : run_fn_) {
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
    const std::vector<Plane>& planes = planes_->planes;
    kernels_.list({in.words, in.skip, in.list, planes.data(), planes.size(), planes_->bits.data(), acc_det_.data(),
                   acc_mem_.data()});
    out.beyond = beyond_;
    for (std::size_t j = 0; j < planes.size(); ++j) {
        const auto c = static_cast<std::size_t>(planes[j].cls);
        const std::int64_t v = planes[j].value;
        const auto members = static_cast<std::int64_t>(acc_mem_[j]);
        const auto others = static_cast<std::int64_t>(acc_det_[j]) - members;
        out.cells[2 * c + 1] += v * members;
        out.cells[2 * c] += v * others;
        out.w1 += v * members;
        out.w0 += v * others;
    }
}

} // namespace meru::search
