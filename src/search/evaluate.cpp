#include "search/evaluate.h"

#include "platform/io/edit.h"
#include "stats/special_functions.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace meru::search {

namespace {

// p-value of the ranking's F test of the split (one and N - 2 degrees of
// freedom); 1 when a side is empty or no degree of freedom is left.
double split_f_test(const stats::SplitSums& s, stats::NumericIssues* issues)
{
    if (s.n1 == 0 || s.n2 == 0) return 1.0;
    const auto n = static_cast<double>(s.n1 + s.n2);
    const double w0 = s.ss1 + s.ss2;
    const double b = s.sst - w0;
    const float f = w0 < 1e-20 ? 1e20f : static_cast<float>(b * (n - 2.0) / w0);
    const auto df2 = static_cast<float>(n - 2.0);
    if (f == 0.0f || df2 <= 0.0f) return 1.0;
    return stats::fprob(1.0, df2, f, issues);
}

// Rate contrast of the log-rank direction: positive when membership 0 has the
// higher event rate per unit of follow-up; event counts raised to 0.5 first.
double rate_contrast(const stats::LogRankResult& r)
{
    if (!(r.t0 > 0.0 && r.t1 > 0.0 && r.d0 + r.d1 > 0.0)) return 0.0;
    const double rate0 = std::max(r.d0, 0.5) / r.t0;
    const double rate1 = std::max(r.d1, 0.5) / r.t1;
    return (rate0 - rate1) / (rate0 + rate1);
}

} // namespace

Evaluator::Evaluator(const EvaluationData& data, const stats::CritSettings& crit, const EvaluationSettings& settings)
    : data_(data), crit_(crit), criterion_(stats::make_criterion(crit)), settings_(settings)
{
    quiet_.set_trace_sink([](std::string_view) {});
    const int ny = std::clamp(data_.ny, 1, stats::kMaxYs);
    const int from = settings_.serial_y > 0 ? std::min(settings_.serial_y, ny) : 1;
    const int to = settings_.serial_y > 0 ? from : ny;
    const bool table = criterion_->input() == stats::ScoreInput::CountTable;
    ys_.resize(static_cast<std::size_t>(to - from + 1));
    for (int k = from; k <= to; ++k) {
        PerY& y = ys_[static_cast<std::size_t>(k - from)];
        y.k = k;
        y.view = {data_.abyte, data_.y[static_cast<std::size_t>(k - 1)], data_.mask, data_.weights};
        y.nclasses = table ? std::clamp(static_cast<int>(data_.ymax[static_cast<std::size_t>(k - 1)]) + 1, 0,
                                        stats::kMaxClasses)
                           : 0;
        y.sample = std::make_unique<stats::PartitionSample>(y.view, y.nclasses);
        y.key = {k, data_.data_generation, data_.sample_generation};
    }
    member_.assign(static_cast<std::size_t>(std::max(data_.abyte.n, 0)), -1);
}

void Evaluator::sort_times(io::LogWriter& log)
{
    if (criterion_->input() != stats::ScoreInput::LogRank) return;
    std::fill(member_.begin(), member_.end(), std::int8_t{-1});
    for (PerY& y : ys_) stats::LOGRANK(y.view, member_, data_.censoring, 0, y.key, y.order, log);
}

stats::LogRankResult Evaluator::logrank(PerY& y, const partition::TermList& list, int sense)
{
    y.sample->memberships(list, sense, data_.signbyte, settings_.skipcomb, member_);
    return stats::LOGRANK(y.view, member_, data_.censoring, 1, y.key, y.order, quiet_);
}

void Evaluator::score_y(PerY& y, const Candidate& c, Score& s, float& gk, double& p)
{
    stats::CriterionValue v;
    bool weighted = true;
    switch (criterion_->input()) {
    case stats::ScoreInput::SplitSums: {
        const bool per_term = criterion_->code() == stats::Criterion::SubgroupMse;
        const stats::SplitSums r = y.sample->splittab(c.pair, data_.signbyte, settings_.skipcomb, per_term, slots_);
        v = criterion_->score(r);
        if (r.n1 + r.n2 == 0) ++s.null_partitions;
        if (settings_.rank_stage) v.p = split_f_test(r, &s.issues);
        break;
    }
    case stats::ScoreInput::LogRank:
        v = criterion_->score(logrank(y, c.pair.first, c.pair.first_sense()), &s.issues);
        weighted = false;
        break;
    case stats::ScoreInput::CountTable:
        y.sample->partab(c.pair.first, c.pair.first_sense(), data_.signbyte, settings_.skipcomb, table_);
        v = criterion_->score(table_.columns(y.nclasses), y.nclasses, &s.issues);
        break;
    }
    gk = static_cast<float>(v.g);
    p = v.p;
    if (weighted && crit_.inverse_variance)
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
    if (y.k == 1 && !settings_.process_mode) s.band = split_band(c0, n);
}

double Evaluator::direction(PerY& y, const Candidate& c)
{
    if (criterion_->direction() == stats::Direction::EventRates)
        return rate_contrast(logrank(y, c.packed, partition::kPlain));
    return y.sample->partcor(c.packed, partition::kPlain, data_.signbyte, settings_.skipcomb);
}

Score Evaluator::score(const Candidate& c)
{
    Score s;
    for (PerY& y : ys_) {
        float gk = 0.0f;
        double p = 1.0;
        score_y(y, c, s, gk, p);
        s.gk[static_cast<std::size_t>(y.k - 1)] = gk;
        s.g += gk;
        s.p = p;
        if (settings_.rank_stage) {
            if (settings_.fixpos) {
                const double r = direction(y, c);
                if (std::fabs(r) > std::fabs(s.rdir)) s.rdir = r;
            }
            if (settings_.rank_plot) s.pmin = std::min(s.pmin, p);
        }
    }
    return s;
}

int split_band(std::int64_t c0, std::int64_t n)
{
    const float width = static_cast<float>(n + 1) / 100.0f;
    const float share = static_cast<float>(c0) / width;
    const int band = static_cast<int>(std::min(share, 1e9f)) + 1;
    return std::clamp(band, 1, SearchResults::kSplitBands);
}

char record(const Candidate& c, const Score& s, const EvaluationSettings& settings, SearchResults& results,
            partition::SkipTally& skips, const RecordHooks& hooks)
{
    results.last_n = s.n;
    if (s.null_partitions > 0) partition::skip_add(skips, partition::kSkipNullPartition, s.null_partitions);
    if (s.band > 0) ++results.splithist[static_cast<std::size_t>(s.band)];
    const int first = c.packed.lits.empty() ? 0 : partition::attribute_of(c.packed.lits.front());
    if (settings.rank_stage && hooks.progress) {
        const double pct = 100.0 * first / std::max(settings.lc, 1);
        hooks.progress("... ranking attributes" + io::fmt_f(pct, 6, 1) + "% done");
    }
    ++results.evaluated;
    const char mark = c.packed.q() > 12 ? '>' : '=';
    if (settings.rank_stage || settings.search_stage) results.save_g(s.g);
    ++results.cplxhist[static_cast<std::size_t>(std::clamp(c.complexity, 0, SearchResults::kMaxComplexity))];
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
