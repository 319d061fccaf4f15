#pragma once
// The forcing step run after the Strategy dialog when "Force in attribute" is
// ticked: the user picks the attribute that every search candidate holds and
// whether it joins the subgroup A by union (plain item) or by intersection
// (item tagged "*").
#include "settings/form.h"

#include <string>
#include <vector>

namespace meru {
class Services;
}
namespace meru::io {
class LogWriter;
}
namespace meru::files {
struct ControlTables;
}

namespace meru::settings {

struct Forcing {
    bool forceunion = false; // force by union with A
    bool forceinter = false; // force by intersection with A
    int forcedattr = 0;      // the forced attribute times its positivity
};

inline constexpr std::size_t kForceNoteWidth = 255;

// Runs the picker in the forcing layout over variables 1 .. lastvar. Cancel
// turns `forcein` off with the note "Forcing is cancelled $"; a choice sets
// `forcing`, writes "Forced attribute: " with the chosen label to the log and
// shows the note that names both sides.
void forceattr(Forcing& forcing, bool& forcein, const files::ControlTables& tables, const std::vector<int>& varline,
               int lastvar, FormDialog& dialog, Services& services, io::LogWriter& log);

// The note's text: cut at a word boundary so that, with its closing "$", it
// holds at most 255 characters.
std::string bounded_note(std::string text);

} // namespace meru::settings
