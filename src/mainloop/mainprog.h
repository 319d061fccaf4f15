#pragma once
// The program's main routine. Started from inside the event loop on the one GUI
// thread; it never returns, and every wait in it pumps events.
namespace meru::platform {
class Frame;
}

namespace meru::mainloop {

[[noreturn]] void mainprog(platform::Frame& frame);

} // namespace meru::mainloop
