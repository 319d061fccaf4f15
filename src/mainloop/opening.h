#pragma once
// Opening an analysis: from File:Open, File:New, a recent file or a re-read of
// the control file to an analysis with its control file read, its output log
// begun, its arrays sized and its data read. The sequence itself is plain C++:
// it reaches the user through Services (messages, questions, help, progress
// text) and through OpeningHost (the file dialog, the recent list, the log's
// headings, the menus), which tests replace with fakes.
//
// State discipline: the analysis that is open stays whole, log included, until
// the new control file has passed its pre-scan; from then on any failure leaves
// no analysis open (the caller greys the data menus).
#include "files/tables.h"
#include "mainloop/analysis.h"
#include "platform/clock.h"

#include <memory>
#include <string>
#include <string_view>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
class RandomStream;
} // namespace meru::io

namespace meru::mainloop {

// The file-dialog filters: description and pattern pairs, each ended by a NUL,
// the list ended by a further NUL.
inline constexpr std::string_view kOpenFilter{".mrc MERU control files\0*.mrc\0All files\0*.*\0\0", 45};
inline constexpr std::string_view kNewFilter{
    ".csv (comma), .txt (tab), .dat (space delimit) Files\0*.csv;*.txt;*.dat\0\0", 72};

// Kept from one opening to the next, whether or not an analysis is open.
struct OpeningState {
    std::string cfname;       // the control file last opened or refused (Edit .MRC file edits it)
    std::string chosen;       // the path the user chose for the open analysis (its recent entry)
    std::string dialog_path;  // the file dialog's path, shared with Edit:Edit file
    files::ScanCounts counts; // the last pre-scan's bounds
    int ncomb = 0;            // Boolean combinations of the last control file read
    bool rereadreq = false;   // open cfname again, without a question or a dialog
    int log_menu_item = 0;    // the Window-menu item of the log (0 until the first opening)
};

// Which request started the opening: File:Open, File:New, recent file k
// (neither flag), or a re-read of the current control file.
struct OpenRequest {
    bool fopen = false;
    bool fnew = false;
    int recentix = 0;
    bool reread = false;
};

class OpeningHost {
public:
    virtual ~OpeningHost() = default;
    // The file dialog: `path` in, the initial name; out, the chosen path. False
    // when cancelled.
    virtual bool choose_file(std::string& path, std::string_view filter) = 0;
    // Recent file k (1 = most recent); empty when there is none.
    virtual std::string recent_path(int k) = 0;
    // Forgets the log viewer's sections.
    virtual void clear_history() = 0;
    // Writes a section heading and its time line to the log.
    virtual void heading(const std::string& text) = 0;
    virtual platform::DateTime now() = 0;
    // The open analysis is about to be released: its results are forgotten, the
    // scratch file closed and the menus past Y greyed.
    virtual void releasing() = 0;
    // No analysis is open after a failed opening: the menus that reach the data
    // are grey.
    virtual void closed() = 0;
    // The control file was refused by its pre-scan: the Edit menu is made ready
    // to edit it and read it again.
    virtual void control_file_refused(const std::string& cfname) = 0;
    // Restores the progress window to its normal size.
    virtual void show_progress() = 0;
    virtual io::RandomStream& rng() = 0;
};

struct OpenResult {
    enum class End {
        unchanged, // nothing changed: cancelled, or refused before the old analysis was released
        closed,    // the old analysis was released and no new one opened
        opened,
    };
    End end = End::unchanged;
    std::string heading_path; // the path the log heading named
    std::string recent;       // the path for the recent list (empty: leave it)
    int recentix = 0;         // the recent entry reopened (it moves to the top)
};

// Everything the sequence works on.
struct OpeningContext {
    OpeningState& state;
    std::unique_ptr<Analysis>& analysis; // null while no analysis is open
    io::LogWriter& log;
    Services& sv;
    OpeningHost& host;
    std::string& msgline;
};

// Runs the opening for `request`. Re-making a default control file and reading it
// again happens inside.
OpenResult open_analysis(const OpenRequest& request, OpeningContext& cx);

// The log's first lines after its heading: " Date dd/mm/yyyy", the version line,
// " This output file is: " and the log's name.
void write_log_preamble(io::LogWriter& log, const platform::DateTime& today, const std::string& logname);

} // namespace meru::mainloop
