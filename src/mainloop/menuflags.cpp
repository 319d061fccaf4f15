#include "mainloop/menuflags.h"

namespace meru::mainloop {

void clear_requests(MenuFlags& f)
{
    MenuFlags cleared;
    cleared.nsearch = f.nsearch;
    cleared.treemade = f.treemade;
    cleared.nontree_search = f.nontree_search;
    cleared.esplit = f.esplit;
    cleared.eboot = f.eboot;
    cleared.yoffered = f.yoffered;
    f = cleared;
}

bool first_tier_raised(const MenuFlags& f)
{
    return f.qfile || f.qedit || f.qy || f.qcrit || f.qrank || f.strat || f.qext;
}

bool second_tier_raised(const MenuFlags& f) { return f.qproc || f.qview || f.qopt || f.qhelp; }

} // namespace meru::mainloop
