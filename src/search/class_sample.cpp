#include "search/class_sample.h"

#include "search/class_sample_kernels.h"
#include "stats/membership.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <stdexcept>
#include <utility>

namespace meru::search {

using kernels::u64;

ClassOrderedSample::ClassOrderedSample(const stats::SampleView& view, int nclasses, Level most)
    : ClassOrderedSample(view, nclasses, kernel_set(std::min(cpu_level(), most)))
{}

namespace {

// The observations of a stretch that are units (in the mask, of weight and
// class) in order, with their classes and weights, the weight beyond the
// classes, and the kinds (class, weight) among them in the order first seen,
// up to one more than `most`.
struct UnitScan {
    std::vector<int> obs, cls, weight;
    std::vector<std::pair<int, int>> kinds;
    std::vector<std::uint8_t> kind; // each unit's place among the snapshot's segments
    std::int64_t beyond = 0;

    void add(const stats::SampleView& view, int nclasses, std::size_t most, std::size_t from, std::size_t to)
    {
        for (std::vector<int>* v : {&cls, &weight, &obs}) v->reserve(v->size() + (to - from));
        for (std::size_t ix = from; ix < to; ++ix) {
            const int w = view.weights[ix];
            if (!view.mask[ix] || w == 0) continue;
            const int c = stats::y_class(view.y[ix], nclasses);
            if (c < 0) continue;
            if (c == nclasses) { // counted in no cell
                beyond += w;
                continue;
            }
            obs.push_back(static_cast<int>(ix));
            cls.push_back(c);
            weight.push_back(w);
            const std::pair k{c, w};
            if (kinds.size() <= most && (kinds.empty() || kinds.back() != k) &&
                std::find(kinds.begin(), kinds.end(), k) == kinds.end())
                kinds.push_back(k);
        }
    }
};

} // namespace

ClassOrderedSample::ClassOrderedSample(const stats::SampleView& view, int nclasses, const KernelSet& kernels,
                                       const stats::ParallelFor& parallel)
    : kernels_(kernels)
{
    view.check();
    nclasses_ = std::clamp(nclasses, 0, stats::CountTable::max_classes);
    // The observations a stretch each; the stretches are the layout's too.
    constexpr std::size_t kStretch = std::size_t{1} << 16;
    const auto n = static_cast<std::size_t>(view.abyte.n);
    std::vector<UnitScan> parts(std::max<std::size_t>((n + kStretch - 1) / kStretch, 1));
    stats::for_stretches(parallel, n, kStretch, [&](std::size_t k, std::size_t from, std::size_t to) {
        UnitScan part; // filled apart from its neighbours' cache lines
        part.add(view, nclasses_, kMaxSegments, from, to);
        parts[k] = std::move(part);
    });
    std::size_t units = 0;
    // Segments: the units of one class and weight; too many of them, and the
    // units go by class and the width of their weights.
    std::vector<std::pair<int, int>> kinds;
    for (const UnitScan& part : parts) {
        units += part.obs.size();
        beyond_ += part.beyond;
        for (const std::pair<int, int>& kind : part.kinds)
            if (kinds.size() <= kMaxSegments && std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
                kinds.push_back(kind);
    }
    auto made = std::make_shared<Planes>();
    std::vector<Plane>& planes = made->planes;
    std::vector<u64>& plane_bits = made->bits;
    const bool segmented = kinds.size() <= kMaxSegments;
    // For the run kernels (two classes) each segment starts on a new word: its
    // units are followed by padding units up to the word's end, which belong
    // to no plane.
    const bool runs = segmented && nclasses_ == 2 && units > 0;
    if (segmented) {
        // Few kinds: the units go kind by kind, in order within each, and
        // each kind is a segment with a plane of its own.
        std::sort(kinds.begin(), kinds.end());
        // Each unit's kind and each stretch's count of every kind, then each
        // stretch lays out its units from its own places within each kind:
        // the layout of one pass in order, the stretches shared out.
        std::vector<std::vector<std::size_t>> place(parts.size());
        stats::for_stretches(parallel, parts.size(), 1, [&](std::size_t j, std::size_t, std::size_t) {
            UnitScan& part = parts[j];
            std::vector<std::uint8_t> kind(part.obs.size());
            std::vector<std::size_t> count(kinds.size(), 0);
            for (std::size_t u = 0; u < part.obs.size(); ++u) {
                kind[u] = static_cast<std::uint8_t>(
                    std::lower_bound(kinds.begin(), kinds.end(), std::pair{part.cls[u], part.weight[u]}) -
                    kinds.begin());
                ++count[kind[u]];
            }
            part.kind = std::move(kind);
            place[j] = std::move(count);
        });
        std::vector<std::size_t> start(kinds.size() + 1, 0);
        for (const std::vector<std::size_t>& counts : place)
            for (std::size_t k = 0; k < kinds.size(); ++k) start[k + 1] += counts[k];
        std::partial_sum(start.begin(), start.end(), start.begin());
        // Where each kind's units begin.
        std::vector<std::size_t> first(kinds.size());
        std::size_t x = 0;
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            if (runs && k > 0) x = (x + 63) / 64 * 64;
            first[k] = x;
            x += start[k + 1] - start[k];
        }
        // Each stretch's first place in each kind.
        for (std::size_t k = 0; k < kinds.size(); ++k)
            for (std::size_t j = 0, at = first[k]; j < parts.size(); ++j) at += std::exchange(place[j][k], at);
        // Every unit's place is written by its stretch, each padding unit's here.
        stats::UnitArray<int> o(x);
        for (std::size_t k = 0; k < kinds.size(); ++k)
            std::fill(o.begin() + static_cast<std::ptrdiff_t>(first[k] + start[k + 1] - start[k]),
                      o.begin() + static_cast<std::ptrdiff_t>(k + 1 < kinds.size() ? first[k + 1] : x), -1);
        stats::for_stretches(parallel, parts.size(), 1, [&](std::size_t j, std::size_t, std::size_t) {
            std::vector<std::size_t> next = place[j];
            const UnitScan& part = parts[j];
            for (std::size_t u = 0; u < part.obs.size(); ++u) o[next[part.kind[u]]++] = part.obs[u];
        });
        parts.clear();
        columns_ = std::make_unique<UnitColumns>(view.abyte, std::move(o), kernels_.sample);
        const std::size_t words = columns_->words();
        plane_bits.assign(kinds.size() * words, 0);
        for (std::size_t k = 0; k < kinds.size(); ++k) {
            const std::size_t from = first[k], to = first[k] + (start[k + 1] - start[k]);
            Plane p;
            p.cls = kinds[k].first;
            p.value = kinds[k].second;
            p.at = k * words;
            p.lo = static_cast<std::uint32_t>(from / 64);
            p.hi = static_cast<std::uint32_t>((to - 1) / 64 + 1);
            u64* bits = plane_bits.data() + p.at;
            for (std::size_t w = p.lo; w < p.hi; ++w) {
                const std::size_t lo = std::max(from, w * 64) - w * 64, hi = std::min(to, w * 64 + 64) - w * 64;
                bits[w] = (hi == 64 ? ~u64{0} : (u64{1} << hi) - 1) & ~((u64{1} << lo) - 1);
            }
            planes.push_back(p);
        }
    } else {
        // The units by class and, within a class, wider weights first; a
        // plane per (class, weight bit) that occurs, so that the planes of
        // the higher bits are short.
        std::vector<int> obs, cls, weight;
        for (std::vector<int>* v : {&obs, &cls, &weight}) v->reserve(units);
        for (UnitScan& part : parts) {
            obs.insert(obs.end(), part.obs.begin(), part.obs.end());
            cls.insert(cls.end(), part.cls.begin(), part.cls.end());
            weight.insert(weight.end(), part.weight.begin(), part.weight.end());
            part = UnitScan{};
        }
        std::vector<std::size_t> order(obs.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        const auto width = [&](std::size_t u) { return std::bit_width(static_cast<std::uint32_t>(weight[u])); };
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return cls[a] != cls[b] ? cls[a] < cls[b] : width(a) > width(b);
        });
        stats::UnitArray<int> o(order.size());
        for (std::size_t u = 0; u < order.size(); ++u) o[u] = obs[order[u]];
        columns_ = std::make_unique<UnitColumns>(view.abyte, std::move(o), kernels_.sample);
        const std::size_t words = columns_->words();
        std::vector<int> index(static_cast<std::size_t>(nclasses_) * 32, -1);
        for (std::size_t u = 0; u < order.size(); ++u) {
            const int c = cls[order[u]];
            for (auto bits = static_cast<std::uint32_t>(weight[order[u]]); bits; bits &= bits - 1) {
                const int b = std::countr_zero(bits);
                int& slot = index[static_cast<std::size_t>(c * 32 + b)];
                if (slot < 0) {
                    slot = static_cast<int>(planes.size());
                    Plane p;
                    p.cls = c;
                    p.value = b == 31 ? -(std::int64_t{1} << 31) : (std::int64_t{1} << b);
                    p.lo = static_cast<std::uint32_t>(words);
                    p.at = planes.size() * words;
                    planes.push_back(p);
                    plane_bits.resize(planes.size() * words, 0);
                }
                Plane& p = planes[static_cast<std::size_t>(slot)];
                plane_bits[p.at + u / 64] |= u64{1} << (u % 64);
                p.lo = std::min(p.lo, static_cast<std::uint32_t>(u / 64));
                p.hi = std::max(p.hi, static_cast<std::uint32_t>(u / 64 + 1));
            }
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
