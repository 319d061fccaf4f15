#pragma once
// What the Process handlers keep between requests: the current partition (the
// pair a search, a tree or an entered partition left), the G held for it, the
// history of the searches recorded for the Search Summary, and the counters of a
// series of searches that live between two passes of the loop head.
#include "mainloop/score_key.h"
#include "partition/termlist.h"
#include "search/search_summary.h"
#include "stats/stat2x2.h"

#include <array>
#include <string>
#include <vector>

namespace meru::mainloop {

struct ProcessState {
    partition::Partition current; // the current pair (first list A when repflag is 1)
    bool current_valid = false;
    float current_g = 0.0f; // G of the current partition as the search scored it
    ScoreKey current_key;   // the settings current_g was scored under
    ScoreKey lists_key;     // the settings the G values of the best lists were scored under
    int current_complexity = 0;
    long long evaluated = 0;   // partitions the search that found it evaluated
    int iterations = 1;        // its iterations
    bool random_noted = false; // "NOTE: Process:Random" was shown since start-up
    bool view_bygroup = false; // View > Added attributes switched by-group mode off until the loop head
    std::string title;         // the Process heading of the request being handled

    // The searches recorded since the history was last cleared (Program::nauto_by
    // of them are in use); at most search::kMaxSearchRecords.
    std::vector<search::SearchRecord> history;

    // A series of searches: bootstrap sample number (1 at the loop head), the
    // sample number whose draw was made, "Yes to all", and whether the statistics
    // of this Go! run are the ones the search raised.
    int boot_sample = 1;
    int boot_drawn = 0;
    // The weights the pass's sample was drawn over, on which its first Y was
    // ranked. While a later Y of a serial analysis is ranked they are exchanged
    // with the sample (boot_exchanged), which comes back for its search.
    std::vector<int> boot_rank_weights;
    bool boot_exchanged = false;
    bool yes_to_all = false;
    bool bygroup_run = false;  // a by-group series is under way
    bool remainder = false;    // the statistics run on the observations outside the group
    int group = 0;             // the group of a Process item's by-group pass (0: none)
    std::string group_heading; // "Analysis of BY group ..." of the current group
    stats::PoolStat pool;      // the 2x2 tables of a Statistics pass's groups, pooled at its end
    // What each side (A-, A) of the searched partition predicts, kept from the
    // first statistics of its search for the later steps of the series.
    std::array<double, 2> rule{};
    bool rule_set = false;
    std::array<double, 2> side_mean{}; // and the mean of its Y on each side (A-, A)
    bool go_statistics = false;
};

} // namespace meru::mainloop
