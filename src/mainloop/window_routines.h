#pragma once
// Window-menu routine of the search window (unit 15): it comes to the front at
// its normal size, active and with the focus.
namespace meru::mainloop {

struct Program;

void front15(Program& program);

} // namespace meru::mainloop
