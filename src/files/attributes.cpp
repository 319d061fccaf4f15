#include "files/attributes.h"

#include "core/services.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"

namespace meru::files {

void make_attributes(ControlTables& t, DataArrays& d, ReadDataResult& r, ReadDataContext& cx, int ndata,
                     bool& novalid)
{
    AttributeBuilder build(t, d, r);
    if (build.permutation_lines() > 0) {
        cx.sv.thinking("... to randomly permute", true);
        if (cx.seed_from_clock) cx.rng.seed(-1);
        cx.log.write("NOTE: non-repeatable permutation index _r_");
        build.permute(cx.rng);
    }
    build.sources();

    if (build.has_mean_lines()) cx.sv.thinking("... to establish means", true);
    build.means([&] { cx.sv.yield(); });

    if (const std::vector<int> lines = build.percentile_lines(); !lines.empty()) {
        cx.sv.thinking("... to establish percentiles", true);
        percentile_header(cx.log);
        for (const int k : lines) {
            cx.sv.yield();
            const LinePercentiles lp = build.percentiles(k);
            percentile_report(t.line[static_cast<std::size_t>(k)], lp, cx);
        }
        percentile_footer(r, cx);
    }

    cx.sv.thinking("... to calculate statistics & attributes", true);
    const std::vector<ValueError> errors = build.statistics(
        [&](int pct) {
            cx.msgline = "...." + io::fmt_i(pct, 3) + "%  statistics done";
            cx.sv.thinking(cx.msgline, true);
            cx.sv.yield();
        },
        [&] { cx.sv.yield(); });
    value_error_report(t, errors, cx.log);
    empty_lines_report(t, r, cx);
    cx.sv.thinking(".... 100% statistics done", true);

    summary_report(t, r, cx, ndata, novalid);
    if (novalid) {
        no_data_report(t, cx);
        return;
    }
    variable_statistics(t, r, cx);
    const std::vector<AttrNote> notes = build.ban();
    attribute_frequencies(t, r, notes, cx);
}

} // namespace meru::files
