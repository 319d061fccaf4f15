#include "search/pair_repair.h"

#include "partition/termops.h"
#include "platform/io/logwriter.h"

namespace meru::search {

namespace {

Repair retry(partition::Partition& cur, const RepairHooks& hooks, Notices& told, io::LogWriter& log)
{
    log.write("Trying to fix incompatibility");
    const int first_sense = cur.first_sense();
    const int second_sense = 1 - first_sense;
    const int first_role = cur.repflag;

    partition::TermList first;
    const bool made_first = hooks.complement(cur.second, second_sense, first);
    if (made_first) hooks.show(first, first_role, "A by back-transposition:");
    if (made_first && hooks.compat(first, cur.second, cur.repflag)) {
        cur.first = std::move(first);
        return Repair::first_retry;
    }
    partition::TermList second;
    if (made_first && hooks.complement(first, first_sense, second) && hooks.compat(first, second, cur.repflag)) {
        told.add_help("NOTE: Boolean algebra seems fixed");
        cur.first = std::move(first);
        cur.second = std::move(second);
        return Repair::second_retry;
    }
    told.add_help("NOTE: Fix not working");
    told.line(log, "  Fix apparently not worked. Check Boolean algbra");
    return Repair::failed;
}

} // namespace

Repair repair_pair(partition::Partition& cur, const RepairHooks& hooks, const files::ControlTables& t, Notices& told,
                   io::LogWriter& log)
{
    if (hooks.compat(cur.first, cur.second, cur.repflag)) return Repair::none;
    const Repair r = retry(cur, hooks, told, log);
    if (!partition::samesign(cur.first.lits, t))
        told.line(log, "NOTE: this partition is not regular: positive and negative attributes mixed");
    return r;
}

} // namespace meru::search
