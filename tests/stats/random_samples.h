#pragma once
// Random small data sets and term lists for the property tests of the kernels:
// missing and odd bytes, sign bytes -1/0/+1, zero, large and negative weights, Y
// missing, NaN, fractional or beyond a count table.
#include "evaluation_reference.h"
#include "partition/termlist.h"
#include "stats/membership_kernels.h"

#include <limits>
#include <random>
#include <vector>

namespace meru::test {

struct Gen {
    std::mt19937 rng;
    explicit Gen(unsigned seed) : rng(seed) {}
    int uni(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    double real() { return std::uniform_real_distribution<double>(0, 1)(rng); }
    bool coin(double p) { return real() < p; }
};

inline RefData make_random_data(Gen& g, int n)
{
    RefData d;
    d.n = n;
    d.lc = g.uni(1, 8);
    const double pmiss = g.coin(0.3) ? 0.0 : g.real() * 0.4;
    const double podd = g.coin(0.8) ? 0.0 : 0.05; // bytes other than 0, 1, 255
    d.abyte.resize(static_cast<std::size_t>(n * d.lc));
    for (auto& b : d.abyte) {
        if (g.coin(pmiss)) b = 255;
        else if (g.coin(podd)) b = static_cast<std::uint8_t>(g.uni(2, 9));
        else b = static_cast<std::uint8_t>(g.uni(0, 1));
    }
    d.sign.resize(static_cast<std::size_t>(d.lc) + 1);
    for (auto& s : d.sign) s = static_cast<std::int8_t>(g.coin(0.05) ? 0 : (g.coin(0.5) ? 1 : -1));
    const int ymax = g.uni(0, 5);
    const int wkind = g.uni(0, 3); // unit, small, large, mixed with negatives
    d.y.resize(static_cast<std::size_t>(n));
    d.w.resize(static_cast<std::size_t>(n));
    d.mask.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        float y = static_cast<float>(g.uni(0, ymax));
        const int r = g.uni(0, 40);
        if (r == 0) y = -1.0f;
        if (r == 1) y = -999.0f;
        if (r == 2) y = std::numeric_limits<float>::quiet_NaN();
        if (r == 3) y += 0.5f;
        if (r == 4) y = 150.0f;
        if (r == 5) y = -0.5f;
        d.y[static_cast<std::size_t>(i)] = y;
        int w = 1;
        if (wkind == 1) w = g.uni(0, 5);
        if (wkind == 2) w = g.coin(0.1) ? 0 : g.uni(1, 1 << 20);
        if (wkind == 3) w = g.coin(0.1) ? -g.uni(1, 1000) : g.uni(0, 1 << 30);
        d.w[static_cast<std::size_t>(i)] = w;
        d.mask[static_cast<std::size_t>(i)] = g.coin(0.9) ? 1 : 0;
    }
    return d;
}

inline partition::TermList make_random_list(Gen& g, int lc)
{
    partition::TermList t;
    const int q = g.uni(0, 4);
    for (int k = 0; k < q; ++k) {
        std::vector<int> term;
        const int len = g.coin(0.05) ? 0 : g.uni(1, 4);
        for (int j = 0; j < len; ++j) {
            const int a = g.uni(1, lc);
            term.push_back(g.coin(0.5) ? a : -a);
        }
        t.add_term(term);
    }
    return t;
}

inline stats::SampleView view_of(const RefData& d)
{
    return {stats::AttributeMatrix(d.abyte, d.lc, d.n), d.y, d.mask, d.w};
}

} // namespace meru::test
