#pragma once
// The windows of the Rank menu's plots: effectiveness v. cuts (unit 21), ROC
// curves (unit 25) and QROC curves (unit 26), each a variable dialog that comes
// back after every plot. They take the attribute lines and the sample as plain
// arguments; the caller builds them from its analysis and ranking.
#include "stats/membership_kernels.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace meru::ui {
struct Context;
}

namespace meru::plots {

inline constexpr int kEffcutsWindow = 21;
inline constexpr int kRocWindow = 25;
inline constexpr int kQrocWindow = 26;

inline constexpr int kEffcutsDialog = 399;
inline constexpr int kRocDialog = 122;
inline constexpr int kQrocDialog = 136;

// Controls of the three variable dialogs.
namespace rank_dialog_ids {
inline constexpr int kList = 1004;
inline constexpr int kXSpecificity = 1050;
inline constexpr int kXOneMinus = 1051;
inline constexpr int kSuperimpose = 1052;
inline constexpr int kConnect = 1053;
} // namespace rank_dialog_ids

// The attribute lines as the plots read them. Line L's cut j is attribute
// attoff[L - 1] + j.
struct CutLines {
    std::vector<int> offered;        // the lines to offer (1-based), in order
    std::vector<int> ncuts;          // [L - 1]: cuts of line L
    std::vector<int> attoff;         // [L]: attributes made by lines 1..L; [0] = 0
    std::vector<std::string> names;  // [L - 1]: the line's variable name
    std::vector<std::string> labels; // [a - 1]: attribute a's second label, squeezed
    std::vector<int> optimised;      // [L - 1]: the optimised cut; outside 1..ncuts marks none

    int ncut(int line) const;
    int first(int line) const; // the attribute of cut 1
    std::string label(int a) const;
    int best(int line) const;
};

// What ROC and QROC evaluate: the sample with Y's two values as classes 0 and 1.
struct RocCall {
    const CutLines* lines = nullptr;
    stats::SampleView sample;
    std::span<const std::int8_t> signbyte; // [a]
    bool skip = false;                     // skip observations missing in the combination
    std::vector<std::string> ynames;       // one name each Y
};

void rocplot(ui::Context& ctx, const RocCall& call);
// QROC curves until Cancel; superimposed curves each in their own colour, named
// in a key beside the plot.
void qrocplot(ui::Context& ctx, const RocCall& call);

// The effectiveness of every cut by attribute number ([a - 1]); a cut the
// ranking did not score holds NaN and is not drawn.
struct EffcutsCall {
    const CutLines* lines = nullptr;
    std::span<const double> attg;
    double maximum = 0;   // the largest effectiveness of the ranking
    std::string critname; // the criterion's name, the y axis title
};

void effcuts(ui::Context& ctx, const EffcutsCall& call);

} // namespace meru::plots
