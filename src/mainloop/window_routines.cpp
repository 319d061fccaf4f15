#include "mainloop/window_routines.h"

#include "mainloop/program.h"
#include "platform/frame.h"

namespace meru::mainloop {

void front15(Program& p)
{
    p.frame.set_focus(kSearchUnit);
    p.frame.set_active(kSearchUnit);
    p.frame.set_window_size(kSearchUnit, {platform::SizeState::restored});
}

} // namespace meru::mainloop
