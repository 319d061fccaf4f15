#include "stats/criterion_kinds.h"

#include "files/textutil.h"
#include "stats/chisqtab.h"
#include "stats/impurity.h"
#include "stats/logrank.h"
#include "stats/stat2x2.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace meru::stats {

namespace {

[[noreturn]] void wrong_input(const SplitCriterion& c)
{
    throw std::logic_error("criterion " + std::string(c.name()) + " does not score this summary");
}

CriterionValue sides(const SplitSums& s)
{
    CriterionValue v;
    v.c0 = s.n1;
    v.c1 = s.n2;
    return v;
}

} // namespace

CriterionValue SplitCriterion::score(const SplitSums&) const { wrong_input(*this); }

CriterionValue SplitCriterion::score(std::span<const std::int64_t>, int) const { wrong_input(*this); }

CriterionValue SplitCriterion::score(const LogRankResult&) const { wrong_input(*this); }

CriterionValue SplitCriterion::score_without_p(const LogRankResult&) const { wrong_input(*this); }

CriterionValue WithinMse::score(const SplitSums& s) const
{
    CriterionValue v = sides(s);
    const double n = static_cast<double>(s.n1 + s.n2);
    if (s.n1 > 0 && s.n2 > 0) v.g = (s.sst - (s.ss1 + s.ss2)) / n;
    return v;
}

CriterionValue SubgroupMse::score(const SplitSums& s) const
{
    CriterionValue v = sides(s);
    const double n = static_cast<double>(s.n1 + s.n2);
    if (s.n1 > 0 && s.n2 > 0) {
        const double w = static_cast<double>(s.n1) * files::safediv(s.s1, static_cast<double>(s.m1)) +
                         static_cast<double>(s.n2) * files::safediv(s.s2, static_cast<double>(s.m2));
        v.g = (s.sst - w) / n;
    }
    return v;
}

CriterionValue SplitCriterion::score_without_p(std::span<const std::int64_t>, int) const { wrong_input(*this); }

CriterionValue TableCriterion::score(std::span<const std::int64_t> table, int nj) const
{
    return value(table, nj, true);
}

CriterionValue TableCriterion::score_without_p(std::span<const std::int64_t> table, int nj) const
{
    return value(table, nj, false);
}

CriterionValue ChiSquare::score_without_p(std::span<const std::int64_t> table, int nj) const
{
    if (nj != 2 || table.size() < 4) return TableCriterion::score_without_p(table, nj);
    std::array<double, 2> rows, cols;
    const ChiSquareTest t = chisq_statistic_2x2(table.data(), rows.data(), cols.data());
    return {t.chisq, t.p, t.chisq, t.df, static_cast<std::int64_t>(rows[0]), static_cast<std::int64_t>(rows[1])};
}

CriterionValue TableCriterion::value(std::span<const std::int64_t> table, int nj, bool with_p) const
{
    CriterionValue v;
    nj = std::clamp(nj, 0, std::min(kMaxClasses, static_cast<int>(table.size() / 2)));
    const auto sub = table.first(static_cast<std::size_t>(2 * nj));
    std::array<double, 2> rows{};
    std::array<double, kMaxClasses> cols; // chisq_statistic writes the first nj
    const auto colspan = std::span<double>(cols).first(static_cast<std::size_t>(nj));
    const ChiSquareTest t = with_p ? chisqtab(sub, 2, nj, rows, colspan) : chisq_statistic(sub, 2, nj, rows, colspan);
    v.chisq = t.chisq;
    v.df = t.df;
    v.p = t.p;
    v.c0 = static_cast<std::int64_t>(rows[0]);
    v.c1 = static_cast<std::int64_t>(rows[1]);
    v.g = g(sub, nj, t.chisq);
    return v;
}

double ImpurityCriterion::g(std::span<const std::int64_t> table, int nj, double) const
{
    return impurity(table, nj, gini_, crit_).g;
}

double QualityIndex::g(std::span<const std::int64_t> table, int, double) const { return compute_2x2(table, r_).qir; }

double OddsRatioBayes::g(std::span<const std::int64_t> table, int, double) const
{
    return bayes_odds_ratio(scan_2x2(table), prior_);
}

CriterionValue LogRank::score(const LogRankResult& r) const
{
    CriterionValue v = score_without_p(r);
    v.p = logrank_p(r.g);
    return v;
}

CriterionValue LogRank::score_without_p(const LogRankResult& r) const
{
    CriterionValue v;
    v.g = r.g;
    v.c0 = r.w0;
    v.c1 = r.w1;
    return v;
}

std::unique_ptr<const SplitCriterion> make_criterion(const CritSettings& crit)
{
    switch (static_cast<Criterion>(crit.icrit)) {
    case Criterion::WithinMse: return std::make_unique<WithinMse>(crit);
    case Criterion::SubgroupMse: return std::make_unique<SubgroupMse>(crit);
    case Criterion::Entropy: return std::make_unique<Entropy>(crit);
    case Criterion::QualityIndex: return std::make_unique<QualityIndex>(crit);
    case Criterion::ChiSquare: return std::make_unique<ChiSquare>(crit);
    case Criterion::OddsRatioBayes: return std::make_unique<OddsRatioBayes>(crit);
    case Criterion::LogRank: return std::make_unique<LogRank>(crit);
    case Criterion::Gini: return std::make_unique<Gini>(crit);
    }
    throw std::invalid_argument("no criterion " + std::to_string(crit.icrit));
}

} // namespace meru::stats
