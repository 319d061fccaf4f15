#pragma once
// The criterion settings: which effectiveness criterion scores a partition, how
// complexity is measured and penalised, balancing, priors, costs and the weights
// of several Ys. The members hold their start values.
#include <array>
#include <map>
#include <string>
#include <utility>

namespace meru::settings {

constexpr int kMaxY = 5;

struct CritSettings {
    int icrit = 1;                       // 1 Within MSE ... 8 Gini diversity
    std::string critname = "Within MSE";
    int complexity = 1;                  // 1 q + q' - 1, 2 min(q, q'), 3 # attributes
    double beta = 0.0;                   // penalty per unit of complexity
    bool autobeta = true;                // beta chosen by the search
    double gamma = 0.0;                  // balancing exponent
    bool balanced = false;
    bool equalpriors = false;
    bool userpriors = false;
    bool priorsgiven = false;            // equal or user priors in force
    std::map<double, double> prior;      // by category value
    bool specifycosts = false;
    bool costweight = false;             // criterion multiplied by the expected cost
    std::map<double, std::pair<double, double>> cost;   // by category value: (for A-, for A)
    double qir = 0.5;                    // r of QI(r)
    double qir1 = 0.5;                   // 1 - r
    std::array<double, 4> orprior{1.0, 1.0, 1.0, 1.0};  // prior 2x2 cells of Odds ratio (Bayes)
    bool subgroupmse = false;            // criterion 2 in force
    std::array<double, kMaxY> yweight{1.0, 1.0, 1.0, 1.0, 1.0};
    bool invvar = false;                 // inverse variance weighting of several Ys
};

} // namespace meru::settings
