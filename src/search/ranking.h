#pragma once
// The ranking of single attributes: every cut of every line to rank is scored on
// its own, as a one-term, one-literal partition; the ranking table keeps the
// scores sorted by G, and the results the later stages read are each line's best
// cut (its chosen cut) and the order of the lines by that cut's G.
#include "core/services.h"
#include "files/tables.h"
#include "partition/skiptally.h"
#include "partition/termlist.h"
#include "search/evaluate.h"
#include "search/fixpos.h"
#include "search/search_results.h"
#include "stats/unit_columns.h"

#include <functional>
#include <string_view>
#include <vector>

namespace meru::search {

// One ranked attribute.
struct RankEntry {
    float g = 0.0f;
    double p = 1.0;
    int attribute = 0; // signed: the literal scored
    int line = 0;
    std::int64_t n = 0; // observations the score used (weighted)
};

struct Ranking {
    std::vector<RankEntry> table; // sorted by G, largest first
    std::vector<int> order;       // the ranked lines, by their best cut's G
    std::vector<int> chosen;      // [line]: the cut (1..ncuts) with the best G; 0 when not ranked
    bool ranked = false;          // the analysis has been ranked
    bool several_cuts = false;    // some ranked line has more than one cut
    float best_g = 0.0f;

    void clear();
    // Sorted insertion: after every entry of larger or equal G.
    void insert(const RankEntry& e);
    // The order and the chosen cuts from the table (each line's `inuse` set to
    // its chosen cut).
    void finish(files::ControlTables& t, const std::vector<int>& lines);
};

// What the ranking run reports back.
struct RankHooks {
    std::function<void(std::string_view)> progress;
    std::function<bool()> search_end; // Search:End was chosen
    std::function<void()> yield;
    stats::ParallelFor parallel; // shares out the work made before the first candidate
};

struct RankRun {
    long long evaluated = 0;
    bool ended_by_user = false;
};

// Scores every cut of every line of `lines`, entering each into the results (topg held at one entry, saved
// G values), the ranking table and, when `fixpos` is given, the collected
// correlations. topg starts afresh. The evaluator is built with the ranking's
// settings (rank_settings): rank_stage, rank_plot for the smallest p over the Ys,
// and fixpos when the directions are collected.
EvaluationSettings rank_settings(int serial_y, bool skipcomb, bool fixpos, int lc);

RankRun run_ranking(Evaluator& evaluator, files::ControlTables& t, const std::vector<int>& lines,
                    SearchResults& results, partition::SkipTally& skips, Ranking& ranking, FixposState* fixpos,
                    const RankHooks& hooks);

} // namespace meru::search
