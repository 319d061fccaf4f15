#include "mainloop/process_end.h"

#include "mainloop/added_requests.h"
#include "mainloop/process_dialogs.h"
#include "mainloop/program.h"
#include "mainloop/search_end.h"

#include <span>

namespace meru::mainloop {

namespace {

// The weight of the observations a mask keeps.
long long weight_in(std::span<const std::uint8_t> mask, std::span<const int> weights)
{
    long long n = 0;
    for (std::size_t i = 0; i < mask.size() && i < weights.size(); ++i)
        if (mask[i]) n += weights[i];
    return n;
}

} // namespace

bool process_end(Program& p, partition::Partition& cur, ProcessEnd& end)
{
    if (!p.analysis_open() || cur.first.empty()) return false;
    const Analysis& a = *p.analysis;
    search::LoopResult one;
    one.evaluated = 1;
    SearchEnd s = search_end_for(p, one);
    s.combination = false;
    s.process_mode = true;
    s.cf_combination = end.cf_combination;
    s.iterative = s.stopped = s.treegrow = s.bygroup = s.bootstrap = s.display = false;
    s.iteration = 1;
    s.lpmem = cur.first;
    s.repflag = cur.repflag;
    s.complexity = p.process.current_complexity;
    partition::TermList work = cur.first;
    int work_repflag = cur.repflag;
    s.work = &work;
    s.work_repflag = &work_repflag;
    // The observations the item can take (X space, by-group) against those of its
    // sample, which drops the observations missing in the attribute set.
    s.nobs_read = weight_in(process_mask(p), a.data.obswt);
    s.nobs_used = weight_in(analysis_sample(p), a.data.obswt);
    if (!search_end_result(p, s)) return false;

    cur = s.curpart;
    end.changed = s.changed;
    ProcessState& ps = p.process;
    ps.current = cur;
    ps.current_valid = true;
    ps.current_complexity = s.complexity;
    if (s.changed) {
        ps.current_g = score_partition(p, cur, s.complexity);
        ps.current_key = score_key(p);
    }
    return true;
}

} // namespace meru::mainloop
