#pragma once
// What the interface services work with: the frame and its menus, the modal host
// (owner window and, in a scripted run, the script), the dialog templates, the
// output log, the folder of the graphics fonts, the help display, and the
// services' own state (font selection, action history, Window-menu entries, the
// text rows' scroll column and cell mode, the mouse state the graphics windows poll).
// The main routine owns one Context for the whole run.
#include "platform/dialog_template.h"
#include "platform/modal_host.h"
#include "ui/actlog.h"
#include "ui/mouse_state.h"
#include "ui/plotframe.h"
#include "ui/selfont.h"
#include "ui/winmenu.h"

#include <functional>
#include <string>
#include <string_view>

namespace meru::io {
class LogWriter;
}

namespace meru::platform {
class Frame;
class Menus;
} // namespace meru::platform

namespace meru::ui {

// Shows the help topic named by (at most) the first 40 characters of `topic`.
using HelpDisplay = std::function<void(std::string_view topic)>;

struct Context {
    platform::Frame& frame;
    platform::Menus& menus;
    platform::ModalHost host;
    const platform::DialogLibrary& dialogs;
    io::LogWriter& log;
    std::string font_folder; // where the DejaVu faces lie (the program's folder)
    HelpDisplay help;        // the help module; empty: the stand-in of helpshow()
    FontState font;
    ActionHistory history;
    WindowMenu windows;
    PlotFrame plot{};      // scale and origin of the latest axes
    PlotSymbols symbols{}; // jitter, overlap step and jitter stream of plot symbols
    int textcol1 = 1;      // first text column of rows below row 1 (the sideways scroll)
    bool cellmode = false; // rows drawn character by character, without a bar
    MouseBlock mouse{};    // written by mousecb, read by the windows' polls
};

} // namespace meru::ui
