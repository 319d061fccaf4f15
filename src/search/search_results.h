#pragma once
// What a search keeps as it scores candidates: the best lists, the saved G values
// for the random-partition comparison, the split and complexity histograms, the
// count of partitions evaluated and the sample size of the last evaluation. A
// plain struct owned by the main routine; only the thread that merges the scores
// writes it.
#include "search/best_lists.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace meru::search {

// What a search leaves for Process > Random to compare with: the G values it kept,
// how many it offered, and the bands of its split shares.
struct SearchDistribution {
    std::vector<float> g;
    std::int64_t count = 0;
    std::array<std::int64_t, 101> split{}; // [1..100]; [0] unused
};

struct SearchResults {
    static constexpr int kSavedG = 20000;   // G values kept; the count goes on
    static constexpr int kSplitBands = 100; // bands 1..100 of the side-0 share
    static constexpr int kMaxComplexity = 100;

    BestAtComplexity bestlist;
    TopList top10;
    TopG topg;

    std::vector<float> searchg = std::vector<float>(kSavedG); // the first kSavedG values
    std::int64_t searchg_count = 0;                           // values offered, may exceed kSavedG
    using SplitCounts = decltype(SearchDistribution::split);
    using ComplexityCounts = std::array<std::int64_t, kMaxComplexity + 1>;
    SplitCounts splithist{};     // [1..100]; [0] unused
    ComplexityCounts cplxhist{}; // [0..100]
    std::int64_t evaluated = 0;  // partitions evaluated
    std::int64_t last_n = 0;     // N = c0 + c1 of the last evaluation

    // A search starts: the best-at-each-complexity and top-10 lists are emptied.
    void clear_lists()
    {
        bestlist.clear();
        top10.clear();
    }
    // What a search left is forgotten: its lists, split histogram and G values.
    void clear_search()
    {
        clear_lists();
        splithist.fill(0);
        searchg_count = 0;
    }
    // Counts an evaluation's split band (0: none) and complexity (clamped to
    // 0..kMaxComplexity) in the two histograms.
    static void count(SplitCounts& split, ComplexityCounts& cplx, int band, int complexity)
    {
        if (band > 0) ++split[static_cast<std::size_t>(band)];
        ++cplx[static_cast<std::size_t>(std::clamp(complexity, 0, kMaxComplexity))];
    }
    // Counts one G value and keeps it while fewer than kSavedG are kept.
    void save_g(float g)
    {
        if (searchg_count < kSavedG) searchg[static_cast<std::size_t>(searchg_count)] = g;
        ++searchg_count;
    }
    // The kept values: min(count, kSavedG) of them.
    std::span<const float> saved_g() const
    {
        return {searchg.data(), static_cast<std::size_t>(searchg_count < kSavedG ? searchg_count : kSavedG)};
    }
    SearchDistribution distribution() const
    {
        const std::span<const float> g = saved_g();
        return {{g.begin(), g.end()}, searchg_count, splithist};
    }
};

} // namespace meru::search
