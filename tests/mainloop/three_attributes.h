#pragma once
// A small open analysis for the Process tests: eight observations and the
// attributes a, b, c (attributes 2..4) holding bits 0..2 of the line number.
#include "mainloop/analysis.h"
#include "search/rank_tables.h"

#include <memory>

namespace meru::test {

inline std::unique_ptr<mainloop::Analysis> three_attribute_analysis()
{
    auto a = std::make_unique<mainloop::Analysis>();
    a->tables = rank_tables({{"a", 1}, {"b", 1}, {"c", 1}});
    files::ScanCounts counts;
    counts.attbound = a->tables.natt;
    counts.varbound = a->tables.nlines;
    files::ControlTables sized;
    files::allocate(sized, counts);
    a->tables.dims = sized.dims;
    a->tables.att.resize(sized.att.size());
    a->tables.line.resize(sized.line.size());
    a->tables.vars.varname.resize(sized.vars.varname.size());
    a->tables.vars.nvar = 3;
    files::allocate_data(a->data, 8, a->tables.dims.nv, a->tables.dims.lc);
    for (int i = 1; i <= 8; ++i)
        for (int k = 0; k < 3; ++k) a->data.ab(k + 2, i) = static_cast<std::uint8_t>((i >> k) & 1);
    return a;
}

// The same analysis with a binary Y "y" chosen: Y is bit 0 of the line number
// (attribute a) on lines 1-7, and `y8` on line 8; every weight 1, all in X space.
inline std::unique_ptr<mainloop::Analysis> three_attribute_analysis_with_y(float y8)
{
    auto a = three_attribute_analysis();
    a->ymat.assign(8 * 5, 0.0f);
    for (int i = 1; i <= 8; ++i) a->ymat[static_cast<std::size_t>(i - 1)] = i == 8 ? y8 : static_cast<float>(i & 1);
    a->data.obswt.assign(8, 1);
    a->xmask.assign(9, 1);
    a->stats.nread = 8;
    a->yset = true;
    a->outcome.yname[0] = "y";
    a->outcome.ymax[0] = 1;
    a->outcome.ylev[0] = 2;
    a->outcome.ybin[0] = true;
    return a;
}

} // namespace meru::test
