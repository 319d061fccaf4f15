#pragma once
// Fix Positive attributes: each attribute's correlation with Y is collected while
// the single attributes are ranked; afterwards each attribute line is turned, when
// its cuts correlate negatively, so that its attributes correlate positively with
// Y. Turning a line (`swapline`) reverses the direction of all its attributes at
// once: their sign, their bytes in the attribute matrix and their two labels.
//
// The collecting (modes 0 and 1), the automatic rule and the closing log are
// here; the dialog that lets the user swap or ignore lines by hand is in
// src/settings/fixpos_dialog.h. The per-line "swapped" and "ignored" flags live
// in the attribute lines of the control tables.
#include "core/notices.h"
#include "core/services.h"
#include "files/dataset.h"
#include "files/tables.h"
#include "platform/io/logwriter.h"
#include "stats/censoring.h"
#include "stats/parallel_for.h"

#include <span>
#include <string>
#include <vector>

namespace meru::search {

// The correlations collected during one ranking run.
struct FixposState {
    std::vector<int> order;      // signed attribute numbers in the order recorded
    std::vector<double> cor;     // [a]: the attribute's correlation with Y
    std::vector<double> linecor; // [line]: the line's correlation (the result)

    // Mode 0: a ranking run starts; sized for the tables.
    void start(const files::ControlTables& t);
    // Mode 1: one attribute evaluated, with its signed direction measure.
    void record(int literal, double r);
    // The lines in the order their first attribute was recorded.
    std::vector<int> lines(const files::ControlTables& t) const;
};

// What the decision and the log need besides the state.
struct FixposRun {
    files::ControlTables& tables;
    files::DataArrays& data;
    stats::Censoring censoring; // its line is never turned
    bool go = false;            // Search:Go! is running
    bool decidepos = false;     // Strategy's Decide positivity
    bool quiet_notes = false;   // notes go to the log instead of being shown
    Services& services;         // the progress text
    io::LogWriter& log;
    bool noted = false; // out: a note is to be shown
    Notices told{};     // out: the rule's notes, and the log lines after the first
    // Shares out the turning of the attribute bytes, a stretch of rows each.
    stats::ParallelFor parallel{};
};

// Reverses line `line`'s direction: signbyte negated, every attribute byte x
// becomes 1 - x (an excluded or missing byte stays as it is), both label tables
// exchanged.
void swapline(files::ControlTables& t, files::DataArrays& d, int line);

// Every observation's byte x of these attributes (those inside 1..lc) becomes
// 1 - x, an excluded or missing byte staying as it is: one pass over the
// attribute matrix, a word of each row's bytes at a time, its stretches of
// rows shared out by `parallel`.
void flip_bytes(files::DataArrays& d, std::span<const int> attributes, const stats::ParallelFor& parallel = {});

// Turns a line as Fix Positive attributes does: toggles its "swapped" flag,
// swaps it and negates the line's and its cuts' correlations.
void turn_line(FixposState& s, files::ControlTables& t, files::DataArrays& d, int line);

// Attributes never decided and never listed: "_i_", "_r_" and "." attributes, and
// added attributes.
bool fixpos_excluded(const files::ControlTables& t, int a);
// The censoring attribute's line while censoring is in force (0 when none).
int censoring_line(const files::ControlTables& t, const stats::Censoring& c);

// Mode 2's automatic rule over the recorded lines; its notes are left in run.told.
void decide_directions(FixposState& s, FixposRun& run);

// The closing log: the swapped lines (counted over `lines`) and the ignored ones.
void log_directions(const FixposRun& run, const std::vector<int>& lines);

// One row of the dialog's list: its 48-character text, attribute and line (both
// 0 for an empty row).
struct FixposItem {
    std::string text;
    int attribute = 0;
    int line = 0;
};
// The rows for `lines` in the order given, one per cut.
std::vector<FixposItem> fixpos_items(const FixposState& s, const files::ControlTables& t,
                                     const std::vector<int>& lines);

} // namespace meru::search
