#pragma once
// The program's state: one object, made by the main routine and passed by
// reference to every routine that needs a part of it. It holds the frame's menus,
// the file units, the output log, the dialog templates and the interface
// context; the request flags and the settings blocks; the preferences; and the
// open analysis, which opening another replaces whole.
#include "mainloop/analysis.h"
#include "mainloop/dispatch.h"
#include "mainloop/editmenu.h"
#include "mainloop/help_routines.h"
#include "mainloop/menuflags.h"
#include "mainloop/opening.h"
#include "mainloop/prefs.h"
#include "mainloop/process_state.h"
#include "mainloop/rank_hooks.h"
#include "mainloop/search_state.h"
#include "outcome/mode_dialogs.h"
#include "platform/dialog_template.h"
#include "platform/io/fileunits.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "platform/io/random.h"
#include "platform/menus.h"
#include "plots/rotate3d.h"
#include "rectdiag/diagram_settings.h"
#include "rectdiag/srdwin.h"
#include "search/iteration.h"
#include "search/search_results.h"
#include "search/worker_pool.h"
#include "settings/criteria_dialog.h"
#include "settings/forceattr.h"
#include "settings/form.h"
#include "settings/options.h"
#include "settings/strategy.h"
#include "stats/censoring.h"
#include "stats/criteria.h"
#include "stats/extent.h"
#include "tree/tree_rules.h"
#include "ui/context.h"
#include "ui/help.h"
#include "ui/listsel.h"
#include "ui/qt_services.h"
#include "ui/viewer/viewfile.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace meru::platform {
class Frame;
class Script;
class UnitRegistry;
} // namespace meru::platform

namespace meru::mainloop {

// Units of the program's own files and windows.
constexpr int kScratchUnit = 3;
constexpr int kLogUnit = 7;
constexpr int kSearchUnit = 15;
constexpr int kPartitionUnit = 18;
constexpr int kBannerUnit = 33;
constexpr int kProgressUnit = 37;

// The bootstrap runs counted before the accumulation arrays are reset.
constexpr int kMaxByg = 30;

// A menu item as the request it makes: the dispatch step it reaches, the flag
// that tells it was chosen, and its name ("File:Open").
struct ItemName {
    Step step;
    bool MenuFlags::*flag;
    std::string name;
};

// A menu choice not yet served: the dispatch step that serves it and how it
// raises its request.
struct PendingChoice {
    Step step;
    std::function<void()> raise;
};

struct Program {
    Program(platform::Frame& frame, platform::UnitRegistry& units);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    platform::Frame& frame;
    platform::UnitRegistry& units;
    platform::Menus menus;
    io::FileUnits files;
    io::LogWriter log; // the output log, unit 7; open while an analysis is open
    platform::DialogLibrary dialogs;
    ui::Context ui; // host.script is set in a scripted run
    MenuFlags flags;
    // The user's menu choices until the dispatch serves their step. The loop head
    // raises them again after clearing the requests, so a choice made while
    // another request was served (in a window's wait, or a long computation) is
    // not lost.
    std::vector<PendingChoice> choices;
    ui::QtServices services; // the services the computing core calls

    settings::Options options;
    stats::CritSettings crit;
    settings::StrategySettings strategy;
    stats::ExtentSettings extent;
    settings::CritTexts crit_texts;              // the Criteria dialog's texts, kept between showings
    bool crit_changed = false;                   // the last Criteria request changed the criterion settings
    bool extent_from_strategy = false;           // the Strategy dialog asked for the Extent dialog
    stats::Censoring censoring;                  // censoring of the log-rank criterion
    settings::Forcing forcing;                   // the forced attribute and how it joins A
    settings::SplitSettings split;               // the Training sample dialog's choices
    bool incidence = false;                      // log-rank incidence mode
    std::unique_ptr<settings::FormDialog> forms; // shows the settings dialogs; tests replace it
    tree::TreeRules tree_rules;
    rectdiag::DiagramSettings diagram;
    rectdiag::SrdWindow diagram_window{ui, diagram, rng, options.detailout, incidence}; // what celltab opens
    search::SearchResults results; // the best lists, saved G values and histograms of searches and rankings
    search::SearchThreads search_threads; // the searches' worker threads, started once, joined at exit
    RankState rank;                // the rank stage's tables and hooks
    SearchState search;            // the stages of Search:Go!: attribute set, cuts, counters
    ProcessState process;          // the current partition, the recorded searches, the series counters

    // The iterative search: its switch, iteration, letter counter and last partition.
    search::IterationState iteration;

    std::string folder; // the program's folder: help files, dialogs, fonts, scratch file
    std::string prefs_path;
    Preferences prefs;
    std::vector<platform::MenuHandle> recent_items; // File-menu items of the recent files
    platform::MenuHandle recent_separator = 0;

    std::unique_ptr<Analysis> analysis; // null while no analysis is open
    OpeningState opening;               // kept between openings (the control file, the dialog's path)
    io::RandomStream rng;               // the program's random stream
    outcome::ModeState ymodes;          // the Y menu's distribution window and Transform name
    plots::RotateMemory rotate;         // the rotating plot's step, pointer and trails between plots
    EditState edit;                     // the Edit menu's counts

    bool debug = false;              // trace switch
    std::string ptext = "(2)(3)(4)"; // partition text buffer; an opening empties it
    std::string msgline;             // the message line
    bool bootmode = false;           // bootstrap mode
    int nauto_by = 0;                // bootstrap runs since the accumulation arrays were reset
    bool nodatafile = false;         // the no-data flags of an opening
    bool nodata = false;
    // Full Boolean reduction and primitive attributes as they were before a
    // request changed them for its own use (set_reduction); the loop head puts them back.
    bool reduction_saved = false;
    bool saved_fullred = false;
    bool saved_primattr = false;

    ui::Selections selections;                   // what the list boxes' callbacks leave
    ui::HelpState help_files{files, selections}; // the help index and text on units 8 and 4
    ui::viewer::ViewerState viewer;              // the text viewer's state between viewings
    bool outnote = true;                         // the log viewer shows "NOTE: Output file " once

    std::vector<ItemName> item_names;
    Dispatch dispatch;
    HelpRoutines help;
    io::InstanceLock lock;

    // Ends the program with a status after closing its files (end_program);
    // tests replace it.
    std::function<void(int status)> exit;

    bool analysis_open() const { return analysis != nullptr; }
};

// Writes a line into the progress window (echoed in a scripted run).
void progress(Program& program, std::string_view text);

// The penalty per unit of complexity in use: the user's beta, or 0 under the
// Tree strategy, which does not use beta (the user's beta stays theirs for the
// searches after the tree).
double beta_in_force(const Program& program);

// Sets Full Boolean reduction and Attributes are primitive for the request under
// way; the values they had before its first change are put back at the loop head.
void set_reduction(Program& program, bool fullred, bool primattr);

// Flushes and closes the output log, the help files, the scratch file, gives up
// the single-copy lock and ends the process with `status`.
[[noreturn]] void end_program(Program& program, int status);

// A stop by a termination signal (SIGTERM at log-out, SIGHUP, SIGINT): with an
// analysis open, writes the line "Signal SIGTERM:Stop of MERU" to the log, with
// "; search cut short" while a Search:Go! run is under way, and ends the program
// as File:Exit does, without its question. No message box is shown: no one may
// be there to answer it.
void stop_by_signal(Program& program, int signal);

// Closes the child window of `unit` when the Window-menu registry holds it open
// (its Window-menu item stays).
void closeunit(Program& program, int unit);

} // namespace meru::mainloop
