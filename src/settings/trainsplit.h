#pragma once
// Resampling the observations through their integer weights: the training/test
// split (dialog 121 "Training sample") moves the test sample's weights into a
// second array; the bootstrap replaces the weights by the counts of n draws
// with replacement and puts the saved weights back when it is undone.
#include "settings/form.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
class RandomStream;
} // namespace meru::io
namespace meru::files {
struct ControlTables;
struct DataArrays;
} // namespace meru::files

namespace meru::settings {

namespace split_ids {
inline constexpr int kDialog = 121;
inline constexpr int kRepeatable = 1000;    // "Repeatable random sample"
inline constexpr int kNonRepeatable = 1001; // "Non-repeatable random sample"
inline constexpr int kByAttribute = 1004;   // "Attribute defined"
inline constexpr int kSize = 1002;          // the training size
inline constexpr int kSizeLabel = 1003;     // the long label above it
} // namespace split_ids

// The dialog's choices, kept between calls.
struct SplitSettings {
    bool repeatable = true;
    bool nonrepeatable = false;
    bool byattribute = false;
    std::string sizetext; // 6 characters
    long long lastsize = 0; // the last training size of the analysis in hand; 0 at its start
};

// Adds the test weights back into the training weights and empties them;
// returns the total weight.
long long merge_split(std::vector<int>& obswt, std::vector<int>& testwt);

struct SplitContext {
    std::vector<int>& obswt;  // training weights
    std::vector<int>& testwt; // test weights
    int n;                    // observations
    std::string& msgline;
    const files::ControlTables& tables; // for the attribute picker
    const std::vector<int>& varline;
    int lastvar;
    const files::DataArrays& data; // attribute bytes
    io::RandomStream& rng;
    FormDialog& dialog;
    Services& services;
    io::LogWriter& log;
};

struct SplitResult {
    bool active = false; // a split is in force
    long long total = 0; // the weight now in use (the training count after a split)
};

// Merges any earlier split, then shows the dialog and splits as chosen.
SplitResult trainsplit(SplitSettings& settings, SplitContext& cx);

// Draws `size` of the `total` weighted copies by selection sampling, observations
// in order: each copy is taken with probability m / r while m are still wanted
// among r unvisited, an observation's copies drawn at once (hypergeometric). The
// taken copies stay in `obswt`, the rest move to `testwt`.
void select_training(std::vector<int>& obswt, std::vector<int>& testwt, int n, long long size, long long total,
                     io::RandomStream& rng);

// The weights saved when the bootstrap was switched on.
struct BootState {
    bool saved = false;
    std::vector<int> weights;
};

// On: " Bootstrap sample is created for analysis"; the weights are saved unless a
// bootstrap is already in force, then become the counts of n draws. Off:
// " Bootstrap undone. Reverting to original data"; the saved weights come back.
// With n < 1 only the log line is written.
void bootsamp(std::vector<int>& weights, int n, bool on, BootState& state, io::RandomStream& rng, io::LogWriter& log);

} // namespace meru::settings
