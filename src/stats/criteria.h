#pragma once
// Criterion settings: which effectiveness criterion G the search computes, how
// complexity is measured and penalised, the balancing exponent, the class priors
// and misclassification costs of Entropy, Gini and the quality index, the prior
// cells of the Bayes odds ratio and the weights of several Ys. Plain data; the
// Criteria dialog fills it and the statistics routines only read it (the scoring
// classes of criterion.h are made from it before a search).
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace meru::stats {

// Criterion codes as the user sees them (1..kCriterionCount).
enum class Criterion : int {
    WithinMse = 1,
    SubgroupMse = 2,
    Entropy = 3,
    QualityIndex = 4,
    ChiSquare = 5,
    OddsRatioBayes = 6,
    LogRank = 7,
    Gini = 8,
};

// The outcomes Y a criterion accepts.
enum class YSuit {
    Numeric,    // any Y but a non-binary nominal one
    Categories, // a binary Y, or integer categories below 36, at most 36 of them
    Binary,     // a binary Y only
    Survival,   // a non-binary, non-nominal Y, and not several Ys in parallel
};

// What each criterion is, in one place: the Criteria dialog, the Y follow-up, the
// search and the listings ask here. A new criterion is a row here and its
// scoring class (criterion_kinds.h, make_criterion).
struct CriterionTraits {
    Criterion code;
    std::string_view name; // as the Criteria dialog lists it (30 characters at most)
    YSuit y;
    bool priors = false;          // class priors other than the data's apply
    bool costs = false;           // misclassification costs apply
    bool cost_weighted = false;   // G may be multiplied by the expected cost
    bool needs_costs = false;     // refused until costs are given
    bool f_test = false;          // its p-value is an F test's (else a chi-square's)
    bool per_term_sums = false;   // scores the sums of each term of a side
    bool two_class_bound = false; // with one Y of two classes G bounds a candidate's relatives
};

inline constexpr auto kCriterionTable = std::to_array<CriterionTraits>({
    {.code = Criterion::WithinMse, .name = "Within MSE", .y = YSuit::Numeric, .f_test = true},
    {.code = Criterion::SubgroupMse,
     .name = "Subgroup MSE",
     .y = YSuit::Numeric,
     .f_test = true,
     .per_term_sums = true},
    {.code = Criterion::Entropy,
     .name = "Entropy",
     .y = YSuit::Categories,
     .priors = true,
     .costs = true,
     .cost_weighted = true},
    {.code = Criterion::QualityIndex,
     .name = "Quality index QI(r)",
     .y = YSuit::Binary,
     .costs = true,
     .needs_costs = true},
    {.code = Criterion::ChiSquare, .name = "Chi-square", .y = YSuit::Categories, .two_class_bound = true},
    {.code = Criterion::OddsRatioBayes, .name = "Odds ratio (Bayes)", .y = YSuit::Binary},
    {.code = Criterion::LogRank, .name = "Log-rank", .y = YSuit::Survival},
    {.code = Criterion::Gini,
     .name = "Gini diversity",
     .y = YSuit::Categories,
     .priors = true,
     .costs = true,
     .cost_weighted = true},
});
inline constexpr int kCriterionCount = static_cast<int>(kCriterionTable.size());

// The row of code `icrit`; nullptr outside 1..kCriterionCount.
const CriterionTraits* criterion_traits(int icrit);

// Display name of a criterion code ("Within MSE", ..., "Gini diversity"); an empty
// view for a code outside 1..kCriterionCount.
std::string_view criterion_name(int icrit);

// Complexity measures (1..3); q and q' are the term counts of A and A-.
enum class Complexity : int {
    TermsPlusTermsMinusOne = 1, // "q + q' - 1"
    MinTerms = 2,               // "min(q, q')"
    Attributes = 3,             // "# attributes"
};

// Name of a complexity measure ("q + q' - 1", "min(q, q')", "# attributes").
std::string_view complexity_name(int code);

enum class PriorMode : int { Data = 1, Equal = 2, User = 3 };

// Number of Y classes a count table can hold (classes 0..99).
inline constexpr int kMaxClasses = 100;
// Number of Y variables analysed in parallel at most.
inline constexpr int kMaxYs = 5;

// Costs of a class-y observation counted on either side.
struct CostPair {
    double in_a_minus = 0.0;
    double in_a = 0.0;
};

struct CritSettings {
    int icrit = static_cast<int>(Criterion::WithinMse);
    // Whether the chosen criterion is `c`.
    bool is(Criterion c) const { return icrit == static_cast<int>(c); }
    std::string critname = "Within MSE"; // 30 characters at most
    int complexity = static_cast<int>(Complexity::TermsPlusTermsMinusOne);
    double beta = 0.0; // penalty per unit of complexity
    bool auto_beta = true;
    double gamma = 0.0;    // balancing exponent, 0..2
    bool balanced = false; // gamma > 0 accepted

    // Class priors of Entropy and Gini, indexed by class value.
    PriorMode prior_mode = PriorMode::Data;
    bool priors_given = false; // equal or user priors in force
    std::array<double, kMaxClasses> prior{};

    // Misclassification costs, indexed by class value; the first class defaults
    // to (0, 1) and the second to (1, 0), the others to (0, 0).
    bool specify_costs = false;
    bool weigh_by_costs = false;
    std::array<CostPair, kMaxClasses> cost{{{0.0, 1.0}, {1.0, 0.0}}};

    // r and 1 - r of "Quality index QI(r)".
    double qi_r = 0.5;
    double qi_1r = 0.5;

    // Prior cell counts of "Odds ratio (Bayes)" for the cells TN (Y0, A-),
    // FN (Y1, A-), FP (Y0, A), TP (Y1, A), in that order.
    std::array<double, 4> or_prior{1.0, 1.0, 1.0, 1.0};

    bool subgroup_mse = false; // criterion 2 in force
    std::array<double, kMaxYs> yweight{1.0, 1.0, 1.0, 1.0, 1.0};
    bool inverse_variance = false;

    // Distinct values of each Y (their count is the vector's size), kept with the
    // settings for the Turbo grouping and the cost pairs of the 2x2 statistics.
    std::array<std::vector<double>, kMaxYs> ydistinct;
};

} // namespace meru::stats
