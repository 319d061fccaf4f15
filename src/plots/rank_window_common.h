#pragma once
// What the Rank plots' windows share: opening a plot window with its Window-menu
// entry, and the variable dialog with its list of lines and its check boxes.
#include "plots/effcuts_model.h"

#include <map>
#include <string>

namespace meru::ui {
struct Context;
}

namespace meru::plots {

struct CutLines;

// Closes and opens `unit` with `title`, enters it in the Window menu as `entry`
// (brought back to the front by its item), asks for width x height pixels (a
// second time when refused), clears it white and makes it active with the focus.
bool open_plot_window(ui::Context& ctx, int unit, const std::string& title, const std::string& entry, int width,
                      int height);

// Closes the unit's window when it is open.
void close_plot_window(ui::Context& ctx, int unit);

// The offered lines with at least `mincuts` cuts; each line the list has no room
// for is told in a box (also logged).
LineList offered_lines(ui::Context& ctx, const CutLines& lines, int mincuts);

// One showing of a variable dialog.
struct VariablePick {
    bool missing = false; // the template could not be loaded
    int closed = 0;       // the control that closed it
    int line = 0;         // the lowest selected entry's line, 0 when none
};
// Shows dialog `id` with the list and the check states `checks` (by control id,
// written back); beside the window of unit `beside` when it shows a plot (0: none).
VariablePick pick_variable(ui::Context& ctx, int id, const LineList& list, std::map<int, bool>& checks,
                           int beside = 0);

// Polls the unit's window every 100 ms (active, with the focus) until a left
// click, whose window pixel it leaves in (mx, my); other events are dropped.
// False when the window has been closed.
bool wait_left_click(ui::Context& ctx, int unit, int& mx, int& my);

// The window title of a curve of Y: `prefix` and the Y name in 20 characters;
// its Window-menu entry is the title's first 39 characters.
std::string curve_window_title(const std::string& prefix, const std::string& yname);

// The colour of the k-th curve superimposed in a row: black when not
// superimposing (k = 0), pure blue for the first, then colours that are told
// apart from each other and from the red reference line (after six, again from
// blue).
int superimposed_colour(int k);

} // namespace meru::plots
