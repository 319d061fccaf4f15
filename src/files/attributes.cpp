#include "files/attributes.h"

#include "core/services.h"
#include "files/attribute_matrix.h"
#include "platform/io/edit.h"
#include "platform/io/random.h"

namespace meru::files {

void build_attributes(ControlTables& t, DataArrays& d, ReadDataResult& r, ReadDataContext& cx)
{
    AttributeFindings& found = r.found;
    AttributeBuilder build(t, d, r);
    if (build.permutation_lines() > 0) {
        cx.sv.thinking("... to randomly permute", true);
        if (cx.seed_from_clock) cx.rng.seed(-1);
        found.permuted = true;
        build.permute(cx.rng);
    }
    build.sources();

    if (build.has_mean_lines()) cx.sv.thinking("... to establish means", true);
    build.means([&] { cx.sv.yield(); });

    if (const std::vector<int> lines = build.percentile_lines(); !lines.empty()) {
        cx.sv.thinking("... to establish percentiles", true);
        for (const int k : lines) {
            cx.sv.yield();
            found.percentiles.emplace_back(k, build.percentiles(k));
        }
    }

    cx.sv.thinking("... to calculate statistics & attributes", true);
    found.value_errors = build.statistics(
        [&](int pct) {
            cx.msgline = "...." + io::fmt_i(pct, 3) + "%  statistics done";
            cx.sv.thinking(cx.msgline, true);
            cx.sv.yield();
        },
        [&] { cx.sv.yield(); });
    cx.sv.thinking(".... 100% statistics done", true);

    // Without weight there is nothing to analyse (the data summary says so).
    if (r.nobsin > 0) found.notes = build.ban();
}

} // namespace meru::files
