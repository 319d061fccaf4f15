#pragma once
// The Search Summary: one table in the log over every search of a series (one
// search, bootstrap samples, training and test samples, or by-group folds read
// as a cross-validation) with each search's size, complexity, penalised
// effectiveness and errors, the cross-validated average, and which searches
// found the same partition.
#include "partition/termlist.h"

#include <span>
#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::search {

// The history keeps at most this many searches.
inline constexpr int kMaxSearchRecords = 30;
// The test error of a search without a test sample.
inline constexpr float kNoTestError = -10000.0f;

// One recorded search.
struct SearchRecord {
    float gbeta = 0;         // penalised effectiveness of the found partition
    long long evaluated = 0; // partitions evaluated
    int complexity = 0;
    float resub_error = 0;           // resubstitution error, percent
    float test_error = kNoTestError; // percent
    long long test_n = 0;            // weighted
    int iterations = 0;
    partition::TermList list; // the found partition, held as `flag` says
    int flag = 1;
    long long nobs = 0; // observations of the search, weighted
    int y = 0;          // the Y searched, of a serial analysis (1..); 0: none
};

struct SummaryMode {
    bool training_only = false;
    bool training_and_test = false;
    bool bootstrap = false;
    bool crossval = false;
    bool priors = false; // the user gave priors: errors come from adjusted counts
};

// Writes the summary of `records` (empty: one line saying there is none). In a
// serial analysis `ynames` holds each search's Y name, written before its row;
// each search is then compared with, and the unique partitions counted among,
// the searches of its own Y.
void searchsum(std::span<const SearchRecord> records, const SummaryMode& mode, std::span<const std::string> ynames,
               io::LogWriter& log);

// The mark of the search's log lines: "~" when set, else a blank.
inline char tilde(bool on) { return on ? '~' : ' '; }

} // namespace meru::search
