#pragma once
// The Partition window (unit 18): a partition as readable text. A caption row
// (black on green), then term by term the literals of A (or of A-) by their
// attribute names and labels, five literals to a row, joined by "&" inside a
// term and by "or" between terms, the operators drawn over the text in red. The
// same rows can be copied to the output log, and the window can be left out so
// that only the log receives them.
#include "partition/compat.h"
#include "partition/termlist.h"

#include <functional>

#include <string>
#include <string_view>
#include <vector>

namespace meru::files {
struct ControlTables;
}
namespace meru::platform {
class Frame;
}

namespace meru::ui {

struct Context;

constexpr int kPartitionWindow = 18;
constexpr int kPartitionWidth = 600;
constexpr int kPartitionHeight = 630;
constexpr int kCaptionGreen = 0x00ff00;
constexpr int kLiteralBlue = 0xff0000;
constexpr int kOperatorRed = 0x0000ff;
constexpr int kTermRowsEnd = 42; // the first term row the window has no room for
constexpr int kCaptionRowsEnd = 44;
constexpr int kLiteralsPerRow = 5;
inline constexpr std::string_view kWindowFull = "Window full! Check output log for entire partition";

// One row of the window as two lines of equal width: the text (prefix, names
// and labels) and the operators ("(", ")", "&", "or") in the same columns.
struct PartitionRow {
    std::string text;
    std::string ops;
};

// The rows of the terms of `list`: for the list role v (1: A, 0: A-), the prefix
// a blank, alabel(v) and "=" (four blanks with `no_prefix`) before the first term,
// "  or" before each later one, then "(" and up to five literals a row, each the
// squeezed name and label of its side, joined by "&" and closed by ")". Rows are
// as wide as their literals need.
std::vector<PartitionRow> partition_rows(const partition::TermList& list, const files::ControlTables& t, int v,
                                         bool no_prefix);

// Writes `list` with its caption (squeezed in place) from row `row` on: a row of 1
// with `show` opens the window afresh. With `to_log` the caption and every row go
// to the log; with `show` they are drawn too, until the window is full ("Window
// full! Check output log for entire partition" on the first row that does not
// fit: 42 for a term row, 44 for the caption), then only the log gets them. An
// empty white row follows the last term. `row` returns the last row used.
void partwin(Context& ctx, const partition::TermList& list, const files::ControlTables& t, int v,
             std::string& caption, int& row, bool to_log, bool show, bool no_prefix = false);

// The 30-character caption: "Current partition is:" when `current`, else "Best on
// iteration " and the iteration in two columns when `on_iteration`, else "Best of
// search".
std::string partcap(int iteration, bool on_iteration, bool current);

// " A" for a nonzero flag, "A-" otherwise.
std::string alabel(int flag);

// The Window-menu routine of the Partition window.
void front18(platform::Frame& frame);

// Opens the Partition window afresh: unit 18 entered in the Window menu, 600 x 630
// pixels at (92, 0), black. A configuration that fails is tried once more; when
// it fails again its message is shown once and false returned (the caller goes
// on with the log only). `attempt` makes one try and returns the message of its
// failure, empty on success.
using OpenAttempt = std::function<std::string()>;
bool open_partition_window(Context& ctx, const OpenAttempt& attempt);
std::string open_partition_attempt(Context& ctx);

// The Partition window for the partition engine: opens the window afresh on the
// list and writes it to the log as well.
partition::PartitionWindow partition_window(Context& ctx, const files::ControlTables& t);

} // namespace meru::ui
