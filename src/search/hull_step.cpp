#include "search/hull_step.h"

#include "platform/io/logwriter.h"

namespace meru::search {

HullResult hull_start(const HullInput& in, Penalty& penalty, io::LogWriter& log)
{
    HullResult r;
    r.hull = complexity_hull(in.entries);
    if (!in.redraw && in.iteration == 1 && penalty.automatic && !in.stopped) {
        penalty.beta = automatic_beta(r.hull);
        log.write(automatic_beta_line(penalty.beta));
    }
    return r;
}

bool hull_finish(const HullInput& in, Penalty& penalty, double start, HullResult& r, io::LogWriter& log)
{
    const PenalisedTable table = penalised_table(in.entries, in.cplxhist, penalty.beta);
    r.optimum = table.optimum;
    if (in.redraw) return false;
    if (in.detailed) write_penalised_table(table, log);
    if (penalty.beta == start) return false;
    penalty.automatic = false;
    return true;
}

} // namespace meru::search
