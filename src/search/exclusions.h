#pragma once
// Which attribute lines may be ranked and which attributes may enter a search.
// One rule for both the ranking of single attributes and the search's own list
// of attributes, so that neither lets in the Y's own attributes, the by-group
// variable, the censoring indicator, the special "_i_"/"_r_"/"." variables,
// added attributes, or lines banned by the data pass or ignored by the user.
#include "files/tables.h"
#include "stats/censoring.h"

#include <string_view>
#include <vector>

namespace meru::search {

// What the rule needs besides the control tables.
struct ExclusionContext {
    std::vector<int> yvars;  // variable numbers of the Ys and of the discrete Y's levels
    std::vector<int> yattrs; // attributes taken as Ys (their lines are left out)
    int byvar = 0;           // the by-group variable (0: none)
    stats::Censoring censoring;
};

enum class Exclusion {
    None,      // usable
    Special,   // "_i_", "_r_" or "." variable, or the null line
    Outcome,   // a Y variable, a discrete-Y level or an attribute taken as Y
    ByGroup,   // the by-group variable
    Censoring, // the censoring attribute's line while censoring is in force
    Added,     // an added attribute (or a line that made only added attributes)
    Banned,    // banned by the data pass or by the rank plot
    Ignored,   // ignored in Fix Positive attributes
};

// A variable or attribute name that marks a special attribute: it begins "_i_" or
// "_r_", or is "." (trailing blanks or "$" fill ignored).
bool is_special_name(std::string_view name);

// Why attribute line `line` (1..nlines) is left out; Exclusion::None when usable.
Exclusion line_exclusion(const files::ControlTables& t, int line, const ExclusionContext& c);

// Why attribute `a` is left out: its line's reason, or Added for an added attribute.
Exclusion attribute_exclusion(const files::ControlTables& t, int a, const ExclusionContext& c);

// The lines, in line order, that may enter a search. With `ranking` the lines
// banned or ignored stay in the list: the ranking still scores them, so that
// Fix Positive attributes and the rank plot show them and the user can take a
// ban or an ignore back; they never enter a search.
std::vector<int> usable_lines(const files::ControlTables& t, const ExclusionContext& c, bool ranking = false);

// The attributes, in attribute order, that may enter a search.
std::vector<int> usable_attributes(const files::ControlTables& t, const ExclusionContext& c);

} // namespace meru::search
