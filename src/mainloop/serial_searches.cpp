#include "mainloop/serial_searches.h"

#include "mainloop/program.h"
#include "partition/termops.h"

namespace meru::mainloop {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

} // namespace

void keep_serial_search(Program& p)
{
    Analysis& a = *p.analysis;
    if (!a.outcome.serial() || !p.process.current_valid) return;
    const int k = search_y(p);
    a.serial_searches.resize(at(a.outcome.ny));
    const ProcessState& ps = p.process;
    a.serial_searches[at(k - 1)] = {p.results.distribution(), ps.current, ps.current_g, ps.current_key,
                                    ps.current_complexity,    p.crit.beta};
}

int found_for(const Program& p, const partition::Partition& cur)
{
    if (!p.analysis || !p.analysis->outcome.serial()) return 0;
    const std::vector<SerialSearch>& kept = p.analysis->serial_searches;
    for (std::size_t k = 0; k < kept.size(); ++k) {
        const partition::Partition& f = kept[k].found;
        if (!f.first.empty() && partition::pequal(f.repflag, f.first, cur.repflag, cur.first))
            return static_cast<int>(k) + 1;
    }
    return 0;
}

bool take_found(Program& p, int k)
{
    const std::vector<SerialSearch>& kept = p.analysis->serial_searches;
    if (k < 1 || at(k) > kept.size() || kept[at(k - 1)].found.first.empty()) return false;
    const SerialSearch& s = kept[at(k - 1)];
    ProcessState& ps = p.process;
    ps.current = s.found;
    ps.current_valid = true;
    ps.current_g = s.g;
    ps.current_key = s.key;
    ps.current_complexity = s.complexity;
    if (p.crit.auto_beta) p.crit.beta = s.beta;
    return true;
}

} // namespace meru::mainloop
