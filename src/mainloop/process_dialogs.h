#pragma once
// The small dialogs and masks the Process items share: the choice of one Y among
// several (dialog 117), the Rectangle diagrams dialog (129), the observations a
// Process item works on.
#include <cstdint>
#include <vector>

namespace meru::mainloop {

struct Analysis;
struct Program;

// "Select one of the Y variables to process": the first selected Y (1-based), shown
// again while none is selected; 0 for Cancel or a missing template.
int select_y(Program& p);

// "Rectangle diagrams": which diagrams to draw; false when cancelled or missing.
struct RectangleChoice {
    bool a = true;
    bool aminus = false;
};
bool rectangle_dialog(Program& p, RectangleChoice* out = nullptr);

// The observations a Process item works on: those read that lie in X space and,
// during a by-group run, in the current group (observation i at i - 1).
std::vector<std::uint8_t> process_mask(const Program& p);

// The analysis sample of a Process item: the observations of process_mask less,
// under "Skip if missing in attribute set", those with a missing value in an
// attribute of the search's attribute set, as the search itself left them out.
std::vector<std::uint8_t> analysis_sample(const Program& p);

// The sign of every attribute (element 0 unused; +1 beyond the table).
std::vector<std::int8_t> sign_bytes(const Analysis& a);

} // namespace meru::mainloop
