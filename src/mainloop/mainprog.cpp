#include "mainloop/mainprog.h"

#include "platform/events.h"
#include "platform/frame.h"

namespace meru::mainloop {

// Until the main loop is written: wait at the idle poll for ever, so the frame
// stays live; the frame's close box ends the program.
void mainprog(platform::Frame&)
{
    for (;;)
        platform::idle_wait(200);
}

} // namespace meru::mainloop
