#pragma once
// What the cell tables hand to the rectangle-diagram window: the term list whose
// 2^q cells were just counted. The window is implemented above the statistics
// (it draws, fits and reports); tests use a recording fake.
#include "partition/termlist.h"

namespace meru::files {
struct ControlTables;
}

namespace meru::stats {

struct SubStat;

class DiagramWindow {
public:
    virtual ~DiagramWindow() = default;
    // Opens the diagram of `list` and returns when the user leaves it. The cell
    // weights of `cells` belong to `list`; `tables` give its names and labels;
    // `a_label` chooses the caption " A" (true) or "A-".
    virtual void srdwin(const partition::TermList& list, const SubStat& cells, const files::ControlTables& tables,
                        bool a_label) = 0;
};

} // namespace meru::stats
