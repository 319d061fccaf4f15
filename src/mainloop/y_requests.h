#pragma once
// The Y menu's requests: the handler that runs the Y menu (outcome/ymenu.h) on
// the open analysis, installed as the dispatch's `ymenu` hook.
namespace meru::mainloop {

struct Program;

// Runs the Y menu on the open analysis with the chosen items. Leaves
// `ynochange` set when nothing was confirmed (cancelled, refused, nothing to do,
// or a mode not built yet, which says so); once a Y is confirmed sets `yset`
// and lowers `yoffered`.
void run_ymenu(Program& program);

// Sets the dispatch's ymenu hook; the Y request (settings_requests.h) runs it.
void install_y_hooks(Program& program);

} // namespace meru::mainloop
