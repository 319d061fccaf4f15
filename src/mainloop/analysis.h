#pragma once
// An open analysis: the control file and data file it was opened from, the name
// of its output log, the stages done for it, and its tables and data arrays.
// Opening an analysis (File:Open, New, a recent file, re-reading an edited
// control file) builds a new one and replaces the old one whole.
#include "files/dataset.h"
#include "files/readdata.h"
#include "files/tables.h"
#include "mainloop/score_key.h"
#include "mainloop/tree_growth.h"
#include "outcome/bygroup.h"
#include "outcome/outcome.h"
#include "partition/expand.h"
#include "platform/io/random.h"
#include "search/search_results.h"
#include "settings/trainsplit.h"
#include "settings/xconstr.h"
#include "stats/logrank.h"
#include "tree/tree_model.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace meru::mainloop {

// The file extensions the File handlers accept, upper and lower case.
inline constexpr std::array<std::string_view, 8> kFileExtensions{".MRC", ".DAT", ".CSV", ".TXT",
                                                                 ".mrc", ".dat", ".csv", ".txt"};

// What the search of one Y of a serial analysis left.
struct SerialSearch {
    search::SearchDistribution distribution; // its G values and split histogram
    partition::Partition found;              // the partition it found
    float g = 0.0f;                          // G of it, scored under `key`
    ScoreKey key;
    int complexity = 0;
    double beta = 0.0; // the penalty it was chosen under
};

struct Analysis {
    std::string cfname;   // control-file path
    std::string datapath; // data-file path
    std::string logname;  // the output log's 8.3 name
    bool yset = false;    // stages done once for this analysis
    bool critdone = false;
    bool stratdone = false;
    bool extdone = false;
    bool setbuilt = false;       // the search's attribute set was built for this analysis
    files::ControlTables tables; // variables, attribute lines, attributes (signbyte +1 when made)
    files::DataArrays data;

    // What reading the files gave.
    files::ReadDataResult stats; // per-line statistics and the reader's counts
    int nrecords = 1;            // N: records counted in the data file (1 when none)
    long long nobs = 0;          // observations in the analysis (1 when there are no data); a weight after a
                                 // constraint of X space or a split of the sample
    long long nobsin = 0;        // sum of the weights read
    int nnotes = 0;              // notes and errors of the control-file reader
    bool freefmt = false;        // delimited ("free") data
    bool hascr = false;          // the data file separates its lines by carriage returns
    bool nodata = false;         // no data may be used (the data menus stay grey)
    bool nodatafile = false;     // the data file or its name is unusable
    int naddatt = 0;             // added attributes made so far
    bool added_from_cf = false;  // the next added attributes are the control file's combinations

    // The added attributes' slots and definitions, and those made through the
    // Process menu (named +01, +02, ...).
    partition::AddedAttributes added;
    int process_count = 0;

    // Working tables sized with the data.
    std::vector<int> varline; // [1..NFMAX]: variable -> attribute line of the X constraint
    std::vector<char> xmask;  // [1..N]: the observation lies in X space
    std::vector<float> ymat;  // five columns of N: the Y values

    // The outcome: the first variable until the user chooses one.
    bool firsty = true;     // the next Y follow-up is this analysis's first
    bool ynochange = false; // set by the Y menu handler: nothing to follow up
    int lastcrit = 1;       // the criterion the last Criteria request accepted
    bool critcheck = false; // the criterion must be confirmed again for the Y
    int ycurrent = 1;       // 1: one Y or serial Ys; 0: several Ys together
    // The last search of each Y of a serial analysis ([Y - 1]), for the Process
    // items that name that Y afterwards.
    std::vector<SerialSearch> serial_searches;
    // [line]: its direction was swapped when the first Y of the serial analysis
    // under way was ranked; every later Y is ranked from the same directions.
    std::vector<char> serial_swapped;
    outcome::Outcome outcome;
    outcome::ByGroup bygroup;

    // Resampling and X space: they belong to these data and end with them.
    settings::XSpace xspace;  // the X constraints in force
    bool splitactive = false; // a training/test split is in force (test weights in data.testwt)
    settings::BootState boot; // the weights saved while a bootstrap sample is in force
    // The bootstrap samples' own stream, at its fixed start when the analysis
    // opens: the first series draws the same samples whatever the program drew
    // before it, and each further series of the analysis draws new ones.
    io::RandomStream boot_stream;
    int boot_series = 0; // the bootstrap series begun in this analysis

    tree::KeptTree tree; // the last grown tree, for Process > Tree
    TreeGrowth growth;   // the tree the search is growing, and the stratum counter

    // The survival times as the last log-rank sort of a request ordered them,
    // for its next sort of the same times; dropped at the loop head.
    std::shared_ptr<const stats::LogRankOrder> kept_times;
};

} // namespace meru::mainloop
