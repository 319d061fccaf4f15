#pragma once
// The help display: a topic's text in the help dialog (helpshow), one topic in the
// tip-of-the-day dialog (tipshow), and the Help Topics list or a run of random tips
// (helptopics). The help files are read through helpindex.h on the units that the
// main routine opened at start-up.
#include "platform/io/random.h"
#include "ui/helpindex.h"
#include "ui/listsel.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::io {
class FileUnits;
} // namespace meru::io

namespace meru::ui {

struct Context;

// Dialog templates (resources/dialogs/help.dlg) and their controls.
constexpr int kDialogHelp = 150;
constexpr int kDialogHelpTip = 153;
constexpr int kDialogHelpTopics = 131;
constexpr int kHelpTextList = 151;
constexpr int kHelpTopicsList = 1000;
constexpr int kNextTipButton = 2;
// The window that the Help Topics list minimises after Quit.
constexpr int kHelpTopicsWindow = 47;

// What the help routines work with. The main routine owns one for the whole run.
struct HelpState {
    HelpState(io::FileUnits& u, Selections& s) : units(u), selections(s) {}

    io::FileUnits& units;
    // The tips' own generator, seeded from the clock in tip mode: the analysis
    // stream keeps its start, so random splits and partitions can be repeated.
    io::RandomStream random;
    Selections& selections; // the Help Topics list's flags and text
    // What the topic-text list's clicks select: kept apart, so that reading a
    // topic never changes the Help Topics list's selection.
    Selections text_selections;
    int index_unit = kHelpIndexUnit;
    int text_unit = kHelpTextUnit;
    IndexLine last;                  // the index line of the last topic found
    std::vector<std::string> lines;  // the lines of the last topic shown
    std::vector<std::string> topics; // the Help Topics table
};

// Shows the topic named by the first 40 characters of `topic` in the help dialog,
// or the box "No HELP available on: " + topic when the index has no such topic.
// Closed by OK while the log is open, the index's name of the topic is logged.
void helpshow(Context& ctx, HelpState& help, std::string_view topic);

// Shows the topic in the tip-of-the-day dialog. `next` becomes true when the
// dialog was closed by Next Tip or Escape, false otherwise (also when no dialog
// could be shown).
void tipshow(Context& ctx, HelpState& help, std::string_view topic, bool& next);

// The Help Topics list (Get shows the chosen topic, Quit leaves), or with `tipmode`
// random topics in the tip dialog until the user closes one with OK.
void helptopics(Context& ctx, HelpState& help, bool tipmode);

// Makes the help display the one every caller of ui::helpshow(ctx, topic) and of
// the core's Services::helpshow reaches. `help` must outlive `ctx`'s use of it.
void install_help(Context& ctx, HelpState& help);

} // namespace meru::ui
