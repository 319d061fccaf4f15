#include "search/pair_repair.h"

#include "platform/io/logwriter.h"

namespace meru::search {

namespace {
constexpr const char* kFixedCaption = "Alternative back-transposed partition";
}

Repair repair_pair(partition::Partition& cur, const RepairHooks& hooks, io::LogWriter& log)
{
    if (hooks.compat(cur.first, cur.second, cur.repflag)) return Repair::none;
    log.write("Trying to fix incompatibility");
    const int first_sense = cur.first_sense();
    const int second_sense = 1 - first_sense;
    const int first_role = cur.repflag;

    partition::TermList first;
    const bool made_first = hooks.complement(cur.second, second_sense, first);
    if (made_first) hooks.show(first, first_role, "A by back-transposition:");
    if (made_first && hooks.compat(first, cur.second, cur.repflag)) {
        hooks.show(first, first_role, kFixedCaption);
        cur.first = std::move(first);
        return Repair::first_retry;
    }
    partition::TermList second;
    if (made_first && hooks.complement(first, first_sense, second) && hooks.compat(first, second, cur.repflag)) {
        hooks.helpshow("NOTE: Boolean algebra seems fixed");
        hooks.show(first, first_role, kFixedCaption);
        cur.first = std::move(first);
        cur.second = std::move(second);
        return Repair::second_retry;
    }
    hooks.helpshow("NOTE: Fix not working");
    log.write("  Fix apparently not worked. Check Boolean algbra");
    return Repair::failed;
}

} // namespace meru::search
