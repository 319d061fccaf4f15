#pragma once
// Y from attributes: the list of a variable's cuts offered as Ys, the check of
// the user's choice (up to five cuts of one line), and the dialog loop. No Qt here.
#include "outcome/ydialogs.h"

#include <array>
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
struct Attribute;
} // namespace meru::files

namespace meru::outcome {

// One list item: an attribute of an offered line, or a separator (blank label).
struct AttributeItem {
    std::string label; // variable name run into its label, blank runs collapsed
    int att = 0;
    int line = 0;
};

// The label an attribute is shown under when it stands for Y: its own label when
// its sign is positive, its complement's when negative.
const std::string& y_label(const files::Attribute& a);

// The items of the offered attribute lines, in order: line 1 and lines of "_r_"
// give none, a line without cuts one separator, any other line its attributes
// (stopping at one made from "_i_" or "_r_") and a separator when all were listed.
std::vector<AttributeItem> attribute_items(const files::ControlTables& t, const std::vector<int>& lines);

struct AttributeChoice {
    int line = 0;
    std::array<int, 5> yattr{}; // 0 past the last chosen
};

enum class ChoiceCheck { accepted, again, too_many, two_lines };

// Checks the highlighted items: a separator or nothing asks again; a sixth cut
// gives too_many; cuts of different lines two_lines.
ChoiceCheck check_choice(const std::vector<AttributeItem>& items, const std::vector<bool>& selected,
                         AttributeChoice& choice);

// Shows the dialog until an accepted choice or Cancel. False when cancelled (or
// the template is missing: "Error: dialog box attributey not found" in the log).
// Accepted: `ydname` := the line's variable name, and "Attributes formed from
// variable :NAME" in the log when the line has several cuts.
bool attributey(const files::ControlTables& t, const std::vector<int>& lines, YDialogs& dialogs, Services& sv,
                io::LogWriter& log, std::string& msgline, AttributeChoice& choice, std::string& ydname);

} // namespace meru::outcome
