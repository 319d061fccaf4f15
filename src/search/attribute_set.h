#pragma once
// The attribute set of a search: the attribute lines ranked r1 to m by the rank
// stage, each with its chosen cut, less the X-constraint line and every line the
// search's exclusion rule leaves out. Writes the set to the log, warns about
// duplicated attributes, says whether every line of the set has one cut and
// returns the messages the user is to see about a set it could not build.
#include "core/notices.h"
#include "files/tables.h"
#include "platform/io/logwriter.h"
#include "search/exclusions.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::search {

struct AttrsetInput {
    std::string_view range;  // "all", or the first and last rank ("1-10"; "-" reads as a blank)
    std::vector<int> ranked; // the ranked lines in rank order (the rank stage's line order)
    ExclusionContext exclusions;
    bool xspaceon = false;    // an X constraint is in force ...
    int xconline = 0;         // ... on this attribute line
    bool later_group = false; // a by-group run past its first group
};

struct AttributeSet {
    std::vector<int> lines;      // attribute lines in rank order; a vector, so an iteration may append
    bool single_cut = true;      // no line of the set has more than one cut
    int first_rank = 1;          // r1 of the last range read
    bool dup_note_shown = false; // "NOTE:Duplication in attribute set" shown in this run
};

// The first and last rank of a range text; false when it cannot be read or is
// not 1 <= r1 <= m.
bool read_rank_range(std::string_view range, int ranked, int& r1, int& m);

// Builds `set` from the ranking. On a range it cannot use the set is emptied
// (never left as an earlier search's set), so that the search refuses to start.
// `topm` gets the last rank used. Lines whose chosen cut (`inuse`) is below 1
// are set to their first cut. Returns the texts of the message boxes to show
// after it, in order: "Error in specifying top n. Tell Dr Kelbo$" for a range
// it cannot read; "Top m too large. Truncated to" with the new m and why, when
// fewer ranked lines may enter the search than the range asks and `topm` falls;
// "No attributes! $" when no line is ranked, and "Attribute set is empty!  $"
// with "Error in specifying top n. Tell Headman Kelb$" when the range leaves no
// line. The help topic "NOTE:Duplication in attribute set" (once per run) is
// left in `told`, with the log lines that follow it.
std::vector<std::string> attrset(files::ControlTables& t, const AttrsetInput& in, AttributeSet& set, int& topm,
                                 Notices& told, io::LogWriter& log);

// An attribute's name and label as one squeezed text (at most 28 characters).
std::string attribute_text(const files::ControlTables& t, int a);

} // namespace meru::search
