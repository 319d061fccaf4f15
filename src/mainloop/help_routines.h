#pragma once
// The help requests the main loop and the menu routines make beyond a single
// help topic (which goes through ui::helpshow and the help display of the
// interface context): the topics list, the tip of the day and the web pages.
// install_help wires them, and the help display, to the help module.
#include <functional>

namespace meru::mainloop {

struct Program;

struct HelpRoutines {
    // The Help Topics list, or with `tipmode` the tip of the day round.
    std::function<void(bool tipmode)> topics;
    // A page of the web site: the flags of Help:Manual, Help:FAQs, Help:Website.
    std::function<void(bool manual, bool faq, bool web)> web;
};

// Wires the help display (program.ui.help) and program.help to the help module.
void install_help(Program& program);

} // namespace meru::mainloop
