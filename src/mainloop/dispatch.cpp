#include "mainloop/dispatch.h"

#include "mainloop/menuflags.h"
#include "mainloop/program.h"
#include "mainloop/step_handlers.h"

namespace meru::mainloop {

Dispatch::Dispatch()
{
    for (const StepHandler& h : step_handlers()) handlers_[static_cast<int>(h.step)] = h.run;
}

bool step_raised(Step step, const MenuFlags& f)
{
    switch (step) {
    case Step::rank_titles: return f.qrank && !f.sgo;
    case Step::series: return f.sgo;
    case Step::close_search: return f.searching;
    case Step::edit: return f.qedit;
    case Step::options: return f.qopt;
    case Step::view: return f.qview;
    case Step::help: return f.qhelp;
    case Step::file: return f.qfile;
    case Step::y: return f.qy;
    case Step::settings: return f.qcrit || f.strat || f.qext;
    case Step::process: return f.qproc;
    case Step::search: return f.qrank || f.sgo;
    }
    return false;
}

bool user_step(Step step)
{
    switch (step) {
    case Step::edit:
    case Step::options:
    case Step::view:
    case Step::help:
    case Step::file:
    case Step::y: return true;
    default: return false;
    }
}

Flow dispatch(Program& p)
{
    for (int s = 0; s < kSteps; ++s) {
        const Step step = static_cast<Step>(s);
        if (!step_raised(step, p.flags)) continue;
        // While a Search:Go! run is under way only its own steps run: what the
        // user chose meanwhile waits, and the loop head at the end raises it again.
        if (p.flags.searching && user_step(step)) continue;
        std::erase_if(p.choices, [step](const PendingChoice& c) { return c.step == step; });
        const Flow flow = p.dispatch.get(step)(p);
        if (flow != Flow::next) return flow;
    }
    return Flow::loop_head;
}

} // namespace meru::mainloop
