#pragma once
// One class per criterion (see criterion.h for the interface). The search makes
// them through `make_criterion`; the classes are visible for the tests.
#include "stats/criterion.h"

namespace meru::stats {

// Criterion 1: G = (SS_T - SS_1 - SS_2) / N, the between-sides mean square.
class WithinMse final : public SplitCriterion {
public:
    explicit WithinMse(const CritSettings&) {}
    Criterion code() const override { return Criterion::WithinMse; }
    ScoreInput input() const override { return ScoreInput::SplitSums; }
    bool symmetric() const override { return true; }
    RandomScoring random_scoring() const override { return RandomScoring::SideMeans; }
    CriterionValue score(const SplitSums& sums) const override;
    using SplitCriterion::score;
};

// Criterion 2: G = (SS_T - W) / N with the pooled within-term mean squares
// W = n1 S_1 / m_1 + n2 S_2 / m_2.
class SubgroupMse final : public SplitCriterion {
public:
    explicit SubgroupMse(const CritSettings&) {}
    Criterion code() const override { return Criterion::SubgroupMse; }
    ScoreInput input() const override { return ScoreInput::SplitSums; }
    bool symmetric() const override { return true; }
    RandomScoring random_scoring() const override { return RandomScoring::Refused; }
    CriterionValue score(const SplitSums& sums) const override;
    using SplitCriterion::score;
};

// The count-table criteria: the chi-square test of the table, then G.
class TableCriterion : public SplitCriterion {
public:
    ScoreInput input() const override { return ScoreInput::CountTable; }
    RandomScoring random_scoring() const override { return RandomScoring::CountTable; }
    CriterionValue score(std::span<const std::int64_t> table, int nj) const final;
    CriterionValue score_without_p(std::span<const std::int64_t> table, int nj) const override;
    using SplitCriterion::score;
    using SplitCriterion::score_without_p;

protected:
    CriterionValue value(std::span<const std::int64_t> table, int nj, bool with_p) const;
    // G of the table cut to its nj classes, given its chi-square.
    virtual double g(std::span<const std::int64_t> table, int nj, double chisq) const = 0;
};

// Criteria 3 and 8: the gain in entropy or Gini diversity, with the class priors
// and costs of the settings.
class ImpurityCriterion : public TableCriterion {
public:
    bool symmetric() const override { return !crit_.weigh_by_costs; }

protected:
    ImpurityCriterion(const CritSettings& crit, bool gini) : crit_(crit), gini_(gini) {}

private:
    double g(std::span<const std::int64_t> table, int nj, double chisq) const override;
    const CritSettings crit_;
    const bool gini_;
};

class Entropy final : public ImpurityCriterion {
public:
    explicit Entropy(const CritSettings& crit) : ImpurityCriterion(crit, false) {}
    Criterion code() const override { return Criterion::Entropy; }
};

class Gini final : public ImpurityCriterion {
public:
    explicit Gini(const CritSettings& crit) : ImpurityCriterion(crit, true) {}
    Criterion code() const override { return Criterion::Gini; }
};

// Criterion 4: the quality index QI(r) of A as the predicted positives.
class QualityIndex final : public TableCriterion {
public:
    explicit QualityIndex(const CritSettings& crit) : r_(crit.qi_r) {}
    Criterion code() const override { return Criterion::QualityIndex; }
    bool symmetric() const override { return false; }

private:
    double g(std::span<const std::int64_t> table, int nj, double chisq) const override;
    const double r_;
};

// Criterion 5: the chi-square of the table.
class ChiSquare final : public TableCriterion {
public:
    explicit ChiSquare(const CritSettings&) {}
    Criterion code() const override { return Criterion::ChiSquare; }
    bool symmetric() const override { return true; }
    // A table of two classes (the search's usual one) straight from its cells.
    CriterionValue score_without_p(std::span<const std::int64_t> table, int nj) const override;

private:
    double g(std::span<const std::int64_t>, int, double chisq) const override { return chisq; }
};

// Criterion 6: the Bayes odds ratio of the first two classes present.
class OddsRatioBayes final : public TableCriterion {
public:
    explicit OddsRatioBayes(const CritSettings& crit) : prior_(crit.or_prior) {}
    Criterion code() const override { return Criterion::OddsRatioBayes; }
    bool symmetric() const override { return false; }
    double no_effect() const override { return 1.0; }

private:
    double g(std::span<const std::int64_t> table, int nj, double chisq) const override;
    const std::array<double, 4> prior_;
};

// Criterion 7: the log-rank statistic.
class LogRank final : public SplitCriterion {
public:
    explicit LogRank(const CritSettings&) {}
    Criterion code() const override { return Criterion::LogRank; }
    ScoreInput input() const override { return ScoreInput::LogRank; }
    bool symmetric() const override { return true; }
    RandomScoring random_scoring() const override { return RandomScoring::LogRank; }
    Direction direction() const override { return Direction::EventRates; }
    CriterionValue score(const LogRankResult& logrank) const override;
    CriterionValue score_without_p(const LogRankResult& logrank) const override;
    using SplitCriterion::score;
    using SplitCriterion::score_without_p;
};

} // namespace meru::stats
