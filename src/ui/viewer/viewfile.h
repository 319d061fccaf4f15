#pragma once
// The text viewer: shows a text file page by page in a child window of its own
// and lets the user page, scroll sideways, find a text, go to a section of the
// output log and read help, with the keys or with the buttons of row 1. It
// returns when the user leaves (Esc, the Esc button, or a right click); the
// window stays open, minimised.
//
// Every file is read through the viewer's own reader (the output log after its
// writer was flushed), so viewing never disturbs the log being written.
#include "platform/menus.h"
#include "ui/viewer/line_index.h"
#include "ui/viewer/viewpage.h"

#include <map>
#include <string>

namespace meru::ui {
struct Context;
struct Selections;
} // namespace meru::ui

namespace meru::ui::viewer {

// The callers' units: the output log, the control file, the data file, any file.
constexpr int kLogFile = 7;
constexpr int kControlFile = 41;
constexpr int kDataFile = 42;
constexpr int kAnyFile = 100;
// A file's window is its unit + 50.
constexpr int kWindowOffset = 50;
constexpr int kLogWindow = kLogFile + kWindowOffset;         // 57
constexpr int kControlWindow = kControlFile + kWindowOffset; // 91
constexpr int kDataWindow = kDataFile + kWindowOffset;       // 92

// Dialog templates (resources/dialogs/viewer.dlg) and their controls.
constexpr int kDialogFind = 138;
constexpr int kFindEdit = 1380;
constexpr int kFindHelp = 1382;
constexpr int kDialogGoto = 1399;
constexpr int kGotoList = 1007;

// What the viewer keeps from one viewing to the next.
struct ViewerState {
    bool find_cancelled = false;      // the last Find dialog was cancelled
    std::map<int, LineIndex> indexes; // by window: extended when the file has grown
};

struct ViewRequest {
    std::string name;                     // file name or path; empty: choose one in the file dialog
    int unit = kAnyFile;                  // kLogFile, kControlFile, kDataFile or kAnyFile
    bool* output_note = nullptr;          // when it points to true: the note "NOTE: Output file " first, then false
    bool search_at_open = false;          // open at the search text (the output log)
    std::string* search_text = nullptr;   // in: where to open; out: the find text after Esc (20 characters)
    std::string folder;                   // the control file's folder, made current; empty: none
    PageStyle data;                       // the data file's name row and layout
    platform::MenuRoutine window_routine; // the Window-menu item's routine (control and data file)
};

void viewfile(Context& ctx, Selections& selections, ViewerState& state, ViewRequest& request);

} // namespace meru::ui::viewer
