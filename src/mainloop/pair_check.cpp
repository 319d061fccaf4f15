#include "mainloop/pair_check.h"

#include "mainloop/program.h"
#include "partition/complement.h"
#include "ui/messages.h"

namespace meru::mainloop {

bool complement_of(Program& p, const partition::TermList& in, int sense, partition::TermList& out,
                   const partition::ReduceOptions& opt, bool debug)
{
    Notices told;
    partition::ReduceOptions with = opt;
    with.told = &told;
    partition::SkipTally tally;
    const bool made = !partition::failed(partition::complement(in, sense, out, with, tally, p.log, debug));
    ui::tell(p.services, p.log, told);
    return made;
}

bool compatible(Program& p, const partition::TermList& first, const partition::TermList& second, int repflag,
                bool& note_once, const partition::PartitionWindow& show)
{
    Notices told;
    const partition::CompatResult r =
        partition::compat(first, second, repflag, p.analysis->tables, note_once, told, p.log);
    ui::tell(p.services, p.log, told);
    if (r.show_second && show) show(second, 1 - repflag, partition::kNotCompatibleCaption);
    return r.compatible;
}

} // namespace meru::mainloop
