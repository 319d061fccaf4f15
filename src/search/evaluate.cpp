#include "search/evaluate.h"

#include "search/entry_bounds.h"
#include "search/pattern_counts.h"

#include "platform/io/edit.h"
#include "stats/chisqtab.h"
#include "stats/special_functions.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace meru::search {

namespace {

// Rate contrast of the log-rank direction: positive when membership 0 has the
// higher event rate per unit of follow-up; event counts raised to 0.5 first.
double rate_contrast(const stats::LogRankResult& r)
{
    if (!(r.t0 > 0.0 && r.t1 > 0.0 && r.d0 + r.d1 > 0.0)) return 0.0;
    const double rate0 = std::max(r.d0, 0.5) / r.t0;
    const double rate1 = std::max(r.d1, 0.5) / r.t1;
    return (rate0 - rate1) / (rate0 + rate1);
}

// Whether A (membership 1) holds a lower mean Y class than A- (membership 0).
bool a_lower(const stats::CountTable& t, int nclasses)
{
    double n[2] = {0.0, 0.0}, sum[2] = {0.0, 0.0};
    for (int j = 0; j < nclasses; ++j)
        for (int m : {0, 1}) {
            n[m] += static_cast<double>(t.at(j, m));
            sum[m] += j * static_cast<double>(t.at(j, m));
        }
    return sum[1] * n[0] < sum[0] * n[1];
}

// The same of split sums: A is the first list's side when `repflag` is 1.
bool a_lower(const stats::SplitSums& s, int repflag)
{
    const bool first = repflag == 1;
    const double a = first ? s.y1 : s.y2, rest = first ? s.y2 : s.y1;
    const auto na = static_cast<double>(first ? s.n1 : s.n2), nrest = static_cast<double>(first ? s.n2 : s.n1);
    return a * nrest < rest * na;
}

} // namespace

Evaluator::Evaluator(const EvaluationData& data, const stats::CritSettings& crit, const EvaluationSettings& settings)
    : data_(data), kernels_(kernel_set(cpu_level())), crit_(crit), criterion_(stats::make_criterion(crit)),
      settings_(settings)
{
    quiet_.set_trace_sink([](std::string_view) {});
    const int ny = std::clamp(data_.ny, 1, stats::kMaxYs);
    const int from = settings_.serial_y > 0 ? std::min(settings_.serial_y, ny) : 1;
    const int to = settings_.serial_y > 0 ? from : ny;
    const bool table = criterion_->input() == stats::ScoreInput::CountTable;
    const auto n = static_cast<std::size_t>(std::max(data_.abyte.n, 0));
    ys_.resize(static_cast<std::size_t>(to - from + 1));
    for (int k = from; k <= to; ++k) {
        PerY& y = ys_[static_cast<std::size_t>(k - from)];
        y.k = k;
        y.view = {data_.abyte, data_.y[static_cast<std::size_t>(k - 1)], data_.mask, data_.weights};
        y.nclasses = table ? std::clamp(static_cast<int>(data_.ymax[static_cast<std::size_t>(k - 1)]) + 1, 0,
                                        stats::kMaxClasses)
                           : 0;
        y.key = {k, data_.data_generation, data_.sample_generation};
    }
    for (const PerY& y : ys_) y.view.check();
    member_.assign(n, -1);
    input_ = criterion_->input();
    bounded_ = criterion_->traits().two_class_bound && ys_.size() == 1 && ys_[0].nclasses == 2 && !crit_.balanced &&
               !crit_.inverse_variance;
    band_scale_ = split_band_scale(std::min<std::size_t>(n + 1, 4096));
    table_directions_ = table && settings_.snapshots && settings_.rank_stage && settings_.fixpos &&
                        ys_.size() == 1 && criterion_->direction() != stats::Direction::EventRates &&
                        stats::ys_are_classes(ys_[0].view, ys_[0].nclasses);
}

void Evaluator::build_samples(const Evaluator* from, const stats::ParallelFor& parallel)
{
    if (sample_ || class_sample_ || !layers_.empty()) return;
    const bool table = criterion_->input() == stats::ScoreInput::CountTable;
    if (ys_.size() == 1) {
        // The class-ordered snapshot counts the tables, the log-rank columns
        // the statistic of a search; the plain sample is made when something
        // else asks for it.
        if (table && settings_.snapshots) {
            class_sample_ =
                from && from->class_sample_
                    ? std::make_unique<ClassOrderedSample>(*from->class_sample_, ClassOrderedSample::Share{})
                    : std::make_unique<ClassOrderedSample>(ys_[0].view, ys_[0].nclasses, kernels_, parallel);
            class_sample_->columns().prepare(attributes_, parallel);
        }
        return;
    }
    // Several Ys: one sample over the observations that have any of them, and
    // a layer per Y, so each candidate's membership words are made once.
    const auto n = static_cast<std::size_t>(std::max(data_.abyte.n, 0));
    any_y_.assign(n, -1.0f);
    for (const PerY& y : ys_)
        for (std::size_t i = 0; i < n; ++i)
            if (y.view.y[i] >= 0.0f) any_y_[i] = 0.0f;
    sample_ = std::make_unique<stats::PartitionSample>(
        stats::SampleView{data_.abyte, any_y_, data_.mask, data_.weights}, 0, kernels_.sample);
    sample_->prepare(attributes_, parallel);
    layers_.reserve(ys_.size());
    for (const PerY& y : ys_) layers_.push_back(sample_->layer(y.view.y, y.nclasses));
    for (auto& l : layers_) layer_ptrs_.push_back(&l);
}

LogRankBits& Evaluator::logrank_bits(const Evaluator* from, const stats::ParallelFor& parallel)
{
    if (!logrank_bits_) {
        logrank_bits_ = from && from->logrank_bits_
                            ? std::make_unique<LogRankBits>(*from->logrank_bits_, LogRankBits::Share{})
                            : std::make_unique<LogRankBits>(data_.abyte, ensure_walk(ys_[0], 1, quiet_), kernels_);
        logrank_bits_->columns().prepare(attributes_, parallel);
    }
    return *logrank_bits_;
}

bool Evaluator::reads_logrank_bits() const
{
    return input_ == stats::ScoreInput::LogRank && ys_.size() == 1 && settings_.snapshots && settings_.search_stage &&
           !settings_.rank_stage;
}

bool Evaluator::reads_sample() const
{
    if (ys_.size() != 1) return false; // the sample with a layer per Y is made with the others
    switch (input_) {
    case stats::ScoreInput::SplitSums: return sums_by_ == nullptr; // else made for a pair the sums cannot take
    case stats::ScoreInput::LogRank: return !reads_logrank_bits();
    case stats::ScoreInput::CountTable:
        return !settings_.snapshots || (settings_.rank_stage && settings_.fixpos && !table_directions_);
    }
    return true;
}

void Evaluator::make_snapshots(const stats::ParallelFor& parallel)
{
    build_samples(nullptr, parallel);
    if (reads_logrank_bits()) logrank_bits(nullptr, parallel);
    if (reads_sample()) {
        sample(parallel);
        if (input_ == stats::ScoreInput::SplitSums) {
            sample_->prepare_split();
            split_prepared_ = true;
        }
    }
}

void Evaluator::expect_attributes(std::vector<int> attributes)
{
    std::erase_if(attributes, [&](int a) { return a < 1 || a > data_.abyte.lc; });
    attributes_ = std::move(attributes);
}

void Evaluator::share_snapshots(const Evaluator& main)
{
    build_samples(&main);
    if (main.logrank_bits_ && ys_.size() == 1) logrank_bits(&main);
    // The plain sample of one Y, its split state made where split sums are read.
    if (main.sample_ && main.layers_.empty() && ys_.size() == 1 && !sample_ &&
        (input_ != stats::ScoreInput::SplitSums || main.split_prepared_))
        sample_ = std::make_unique<stats::PartitionSample>(*main.sample_, stats::PartitionSample::Share{});
}

stats::PartitionSample& Evaluator::sample(const stats::ParallelFor& parallel)
{
    if (!sample_) {
        sample_ =
            std::make_unique<stats::PartitionSample>(ys_[0].view, ys_[0].nclasses, kernels_.sample, parallel);
        sample_->prepare(attributes_, parallel);
    }
    return *sample_;
}

void Evaluator::sort_times(io::LogWriter& log)
{
    if (criterion_->input() != stats::ScoreInput::LogRank) return;
    for (PerY& y : ys_) ensure_walk(y, 0, log);
}

void Evaluator::sort_times_as(const Evaluator& other, io::LogWriter& log)
{
    if (criterion_->input() != stats::ScoreInput::LogRank) return;
    const bool ready =
        other.ys_.size() == ys_.size() &&
        std::all_of(other.ys_.begin(), other.ys_.end(), [](const PerY& y) { return y.times != nullptr; });
    if (!ready) return sort_times(log);
    for (std::size_t j = 0; j < ys_.size(); ++j) {
        ys_[j].key = other.ys_[j].key;
        ys_[j].times = other.ys_[j].times;
    }
}

const stats::LogRankWalk& Evaluator::ensure_walk(PerY& y, int sort_switch, io::LogWriter& log)
{
    if (!y.times || sort_switch == 0) {
        auto times = std::make_shared<PerY::Times>();
        // The order serves the walk only; it is then kept for the next sort.
        std::shared_ptr<const stats::LogRankOrder>* kept = data_.kept_order;
        stats::LogRankOrder order;
        stats::order_times(y.view, member_.size(), data_.censoring, sort_switch, y.key, order, log,
                           kept ? kept->get() : nullptr);
        stats::prepare_walk(y.view, data_.censoring, order, times->walk);
        if (kept && order.valid) *kept = std::make_shared<const stats::LogRankOrder>(std::move(order));
        y.times = std::move(times);
    }
    return y.times->walk;
}

stats::LogRankResult Evaluator::logrank(PerY& y) { return stats::logrank_walk(ensure_walk(y, 1, quiet_), member_); }

void Evaluator::summarise(const Candidate& c, Score& s)
{
    build_samples();
    const bool skip = settings_.skipcomb;
    const std::size_t ny = ys_.size();
    switch (criterion_->input()) {
    case stats::ScoreInput::SplitSums: {
        const bool per_term = criterion_->traits().per_term_sums;
        if (layers_.empty()) {
            if (c.first) sums_by_->split_first(*c.first, c.pair.first_sense(), slots_, sums_[0]); // scores_first()
            else if (!sums_by_ || !sums_by_->split(c.pair, per_term, slots_, sums_[0]))
                sums_[0] = sample().splittab(c.pair, data_.signbyte, skip, per_term, slots_);
        } else
            sample_->splittab(c.pair, data_.signbyte, skip, per_term,
                              std::span<const stats::PartitionSample::YLayer* const>(layer_ptrs_.data(), ny), sums_,
                              slots_);
        for (std::size_t j = 0; j < ny; ++j) {
            values_[j] = criterion_->score(sums_[j]);
            if (settings_.a_predicts && a_lower(sums_[j], c.pair.repflag)) no_effect_at_most(values_[j]);
            if (sums_[j].n1 + sums_[j].n2 == 0) ++s.null_partitions;
            if (settings_.rank_stage) values_[j].p = stats::split_f_test(sums_[j]).p;
        }
        break;
    }
    case stats::ScoreInput::LogRank:
        if (reads_logrank_bits()) {
            values_[0] = criterion_->score_without_p(
                logrank_bits().statistic(c.first_list(), c.pair.first_sense(), data_.signbyte, skip));
            break;
        }
        if (const stats::LogRankResult* known = ranked(c.first_list(), c.pair.first_sense())) {
            values_[0] = criterion_->score(*known);
            break;
        }
        sample().memberships(c.first_list(), c.pair.first_sense(), data_.signbyte, skip, member_);
        for (std::size_t j = 0; j < ny; ++j) {
            PerY& y = ys_[j];
            values_[j] = criterion_->score(logrank(y));
        }
        break;
    case stats::ScoreInput::CountTable:
        if (class_sample_) {
            if (!counter_ || !counter_->count_list(c.first_list(), c.pair.first_sense(), tables_[0]))
                class_sample_->partab(c.first_list(), c.pair.first_sense(), data_.signbyte, skip, tables_[0]);
        } else if (layers_.empty())
            sample().partab(c.first_list(), c.pair.first_sense(), data_.signbyte, skip, tables_[0]);
        else sample_->partab(c.first_list(), c.pair.first_sense(), data_.signbyte, skip, layer_ptrs_, tables_);
        for (std::size_t j = 0; j < ny; ++j) {
            const auto cells = tables_[j].columns(ys_[j].nclasses);
            values_[j] = settings_.search_stage && !settings_.rank_stage
                             ? criterion_->score_without_p(cells, ys_[j].nclasses)
                             : criterion_->score(cells, ys_[j].nclasses);
            if (settings_.a_predicts && a_lower(tables_[j], ys_[j].nclasses)) no_effect_at_most(values_[j]);
        }
        break;
    }
}

void Evaluator::no_effect_at_most(stats::CriterionValue& v) const
{
    v.g = std::min(v.g, criterion_->no_effect());
}

float Evaluator::combine(const PerY& y, const stats::CriterionValue& v, Score& s) const
{
    auto gk = static_cast<float>(v.g);
    if (input_ != stats::ScoreInput::LogRank && crit_.inverse_variance)
        gk = static_cast<float>(gk * crit_.yweight[static_cast<std::size_t>(y.k - 1)]);
    const std::int64_t c0 = v.c0, c1 = v.c1, n = c0 + c1;
    s.c0 = c0;
    s.c1 = c1;
    s.n = n;
    if (c0 == 0 || c1 == 0) gk = 0.0f;
    else if (crit_.balanced) {
        const double share =
            (static_cast<double>(c0) / static_cast<double>(n)) * (static_cast<double>(c1) / static_cast<double>(n));
        gk = static_cast<float>(gk * std::pow(share, crit_.gamma));
    }
    if (y.k == ys_.front().k && !settings_.process_mode) s.band = split_band(c0, n);
    return gk;
}

namespace {

// Keeps the first entry of each literal, in literal order.
template <class T> void by_literal(std::vector<std::pair<partition::Literal, T>>& v)
{
    const auto lit = [](const auto& a, const auto& b) { return a.first < b.first; };
    std::stable_sort(v.begin(), v.end(), lit);
    v.erase(std::unique(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
            v.end());
}

// The entry of literal l in a vector by_literal() has ordered, or null.
template <class T> const T* of_literal(const std::vector<std::pair<partition::Literal, T>>& v, partition::Literal l)
{
    const auto at =
        std::lower_bound(v.begin(), v.end(), l, [](const auto& d, partition::Literal x) { return d.first < x; });
    return at != v.end() && at->first == l ? &at->second : nullptr;
}

} // namespace

void Evaluator::directions(const Candidate& c, std::span<double> r)
{
    build_samples();
    const bool skip = settings_.skipcomb;
    if (criterion_->direction() == stats::Direction::EventRates) {
        if (const stats::LogRankResult* known = ranked(c.packed, partition::kPlain)) {
            r[0] = rate_contrast(*known);
            return;
        }
        sample().memberships(c.packed, partition::kPlain, data_.signbyte, skip, member_);
        for (std::size_t j = 0; j < ys_.size(); ++j) r[j] = rate_contrast(logrank(ys_[j]));
        return;
    }
    if (layers_.empty()) {
        const partition::TermList& p = c.packed;
        if (const double* known = p.lits.size() == 1 ? of_literal(directions_, p.lits.front()) : nullptr) {
            r[0] = *known;
            return;
        }
        r[0] = table_directions_ ? table_direction(p) : sample().partcor(p, partition::kPlain, data_.signbyte, skip);
        return;
    }
    // Several Ys: the correlation of each Y with the membership of its units.
    sample().memberships(c.packed, partition::kPlain, data_.signbyte, skip, member_);
    for (std::size_t j = 0; j < ys_.size(); ++j) {
        stats::CorrelationSums sums;
        for (std::size_t i = 0; i < member_.size(); ++i) {
            const float y = ys_[j].view.y[i];
            if (member_[i] >= 0 && y >= 0.0f) sums.add(data_.weights[i], y, member_[i] == 1);
        }
        r[j] = sums.r();
    }
}

void Evaluator::rank_literals(std::span<const partition::Literal> literals, const stats::ParallelFor& parallel)
{
    directions_.clear();
    ranked_.clear();
    const bool logrank = input_ == stats::ScoreInput::LogRank;
    if (!settings_.rank_stage || ys_.size() != 1 ||
        (!logrank && (!settings_.fixpos || criterion_->direction() == stats::Direction::EventRates)))
        return;
    build_samples();
    if (!logrank && table_directions_) {
        partition::TermList one;
        for (const partition::Literal l : literals) {
            one.clear();
            one.add_term({l});
            directions_.emplace_back(l, table_direction(one));
        }
        by_literal(directions_);
        return;
    }
    stats::PartitionSample& plain = sample();
    std::vector<stats::UnitColumns::Compiled> lists(literals.size());
    partition::TermList one;
    for (std::size_t k = 0; k < literals.size(); ++k) {
        one.clear();
        one.add_term({literals[k]});
        plain.compile(one, partition::kPlain, data_.signbyte, lists[k]);
    }
    const auto run = [&](auto&& work) {
        if (parallel) parallel(lists.size(), work);
        else
            for (std::size_t k = 0; k < lists.size(); ++k) work(k);
    };
    if (logrank) {
        const stats::LogRankWalk& walk = ensure_walk(ys_[0], 1, quiet_);
        for (const partition::Literal l : literals) ranked_.emplace_back(l, stats::LogRankResult{});
        run([&](std::size_t k) {
            std::vector<std::int8_t> member(member_.size());
            plain.memberships(lists[k], settings_.skipcomb, member);
            ranked_[k].second = stats::logrank_walk(walk, member);
        });
        by_literal(ranked_);
        return;
    }
    for (const partition::Literal l : literals) directions_.emplace_back(l, 0.0);
    run([&](std::size_t k) { directions_[k].second = plain.partcor(lists[k], settings_.skipcomb); });
    by_literal(directions_);
}

double Evaluator::table_direction(const partition::TermList& list)
{
    stats::CountTable t;
    class_sample_->partab(list, partition::kPlain, data_.signbyte, settings_.skipcomb, t);
    return stats::CorrelationSums::of_table(t, ys_[0].nclasses).r();
}

const stats::LogRankResult* Evaluator::ranked(const partition::TermList& list, int sense) const
{
    if (ranked_.empty() || sense != partition::kPlain || list.q() != 1 || list.count() != 1) return nullptr;
    return of_literal(ranked_, list.lits.front());
}

bool Evaluator::scores_first(const partition::TermList& first) const
{
    return input_ != stats::ScoreInput::SplitSums ||
           (sums_by_ && layers_.empty() && !criterion_->traits().per_term_sums && sums_by_->serves(first));
}

ClassOrderedSample* Evaluator::direct_sample()
{
    const bool search = settings_.search_stage && !settings_.rank_stage;
    if (!search || ys_.size() != 1) return nullptr;
    build_samples();
    return class_sample_.get();
}

Score Evaluator::score_table(const stats::CountTable& table)
{
    const PerY& y = ys_[0];
    values_[0] = criterion_->score_without_p(table.columns(y.nclasses), y.nclasses);
    if (settings_.a_predicts && a_lower(table, y.nclasses)) no_effect_at_most(values_[0]);
    return score_of(values_[0]);
}

Score Evaluator::score_of(const stats::CriterionValue& v) const
{
    Score s;
    const PerY& y = ys_[0];
    const float gk = combine(y, v, s);
    s.gk[static_cast<std::size_t>(y.k - 1)] = gk;
    s.g += gk;
    s.p = v.p;
    return s;
}

namespace {

// A 2x2 table's X^2 as n x^2 / den (den the product of its row and column sums,
// 0 when one is empty); none when a cell is negative or the total reaches 2^31.
struct ChiSquareParts {
    double n, x, den;
};
[[gnu::always_inline]] inline std::optional<ChiSquareParts> chisq_parts(const std::int64_t* cells)
{
    const std::int64_t a = cells[0], b = cells[1], c = cells[2], d = cells[3];
    const std::int64_t n = a + b + c + d;
    if ((a | b | c | d) < 0 || n >= (std::int64_t{1} << 31)) return std::nullopt;
    const auto r0 = static_cast<double>(a + c), r1 = static_cast<double>(b + d);
    const auto k0 = static_cast<double>(a + b), k1 = static_cast<double>(c + d);
    return ChiSquareParts{static_cast<double>(n), static_cast<double>(a * d - b * c), r0 * r1 * k0 * k1};
}

} // namespace

bool Evaluator::bound_at_most(const stats::CountTable& t, float f) const
{
    const std::optional<ChiSquareParts> p = bounded_ && f > 0.0f ? chisq_parts(t.cells.data()) : std::nullopt;
    // g_bound() is X^2 (1 + 1e-9) + 1e-9 n up to a few roundings of 1e-16; twice
    // the margins outweigh them while f is at most a few times n (an X^2 is at
    // most n), and g_bound() <= f then follows.
    return p && p->den > 0.0 && f <= 4.0 * p->n &&
           p->n * p->x * p->x * (1.0 + 2e-9) + 2e-9 * p->n * p->den <= static_cast<double>(f) * p->den;
}

void Evaluator::sides_of(const stats::CountTable& t, float g, Score& s) const
{
    // As combine() sets them from the table's side weights.
    s.g = g;
    s.c0 = t.w0;
    s.c1 = t.w1;
    s.n = t.w0 + t.w1;
    s.null_partitions = 0;
    s.band = settings_.process_mode ? 0 : split_band(t.w0, s.n, band_scale_);
}
Score Evaluator::score(const Candidate& c)
{
    Score s;
    summarise(c, s);
    std::array<double, stats::kMaxYs> r{};
    if (settings_.rank_stage && settings_.fixpos) directions(c, r);
    for (std::size_t j = 0; j < ys_.size(); ++j) {
        const PerY& y = ys_[j];
        const float gk = combine(y, values_[j], s);
        s.gk[static_cast<std::size_t>(y.k - 1)] = gk;
        s.g += gk;
        s.p = values_[j].p;
        if (settings_.rank_stage) {
            if (settings_.fixpos && std::fabs(r[j]) > std::fabs(s.rdir)) s.rdir = r[j];
            if (settings_.rank_plot) s.pmin = std::min(s.pmin, s.p);
        }
    }
    return s;
}

int split_band(std::int64_t c0, std::int64_t n)
{
    const float width = static_cast<float>(n + 1) / 100.0f;
    const float share = static_cast<float>(c0) / width;
    if (!(share > 0.0f)) return 1; // also when negative weights leave no width
    const int band = static_cast<int>(std::min(share, 1e9f)) + 1;
    return std::clamp(band, 1, SearchResults::kSplitBands);
}

std::vector<double> split_band_scale(std::size_t size)
{
    std::vector<double> scale(size);
    for (std::size_t n = 0; n < size; ++n) scale[n] = 100.0 / static_cast<double>(n + 1);
    return scale;
}

int split_band(std::int64_t c0, std::int64_t n, std::span<const double> scale)
{
    // The float share of split_band() is within 2e-5 of c0 * 100 / (n + 1)
    // (below 100, two float roundings and n + 1 below 2^24); the double product
    // is far closer. Away from a whole number the two share their integer part.
    if (c0 > 0 && c0 <= n && n < static_cast<std::int64_t>(scale.size())) {
        const double share = static_cast<double>(c0) * scale[static_cast<std::size_t>(n)];
        const int whole = static_cast<int>(share); // share is positive and below 101
        const double part = share - whole;
        if (part > 1e-4 && part < 1.0 - 1e-4) return std::clamp(whole + 1, 1, SearchResults::kSplitBands);
    }
    return split_band(c0, n);
}

bool surely_unlisted(const SearchResults& results, int complexity, float g, const EvaluationSettings& settings)
{
    return !EntryBounds(results, settings).may_enter(complexity, g);
}

char record(const Candidate& c, const Score& s, const EvaluationSettings& settings, SearchResults& results,
            partition::SkipTally& skips, const RecordHooks& hooks)
{
    const int first = c.packed.lits.empty() ? 0 : partition::attribute_of(c.packed.lits.front());
    if (settings.rank_stage && hooks.progress) {
        const double pct = 100.0 * first / std::max(settings.lc, 1);
        hooks.progress("... ranking attributes" + io::fmt_f(pct, 6, 1) + "% done");
    }
    const char mark = record_unlisted(c.complexity, c.packed.q(), s, settings, results, skips);
    if (settings.combination) {
        results.top10.offer(c.complexity, s.g, settings.penalty, 1, c.pair.a());
        if (settings.rank_stage) {
            results.topg.set_count(1);
            results.topg.offer(c.complexity, s.g, static_cast<float>(s.pmin), c.pair.repflag, c.packed);
        } else if (c.complexity > 0) {
            // A side was empty (G is 0): never entered, the hull divides by complexity.
            results.bestlist.offer(c.complexity, s.g, c.pair.repflag, c.packed);
        }
    }
    if (settings.rank_stage && settings.fixpos && hooks.fixpos && !c.packed.lits.empty())
        hooks.fixpos(c.packed.lits.front(), s.rdir);
    return mark;
}

} // namespace meru::search
