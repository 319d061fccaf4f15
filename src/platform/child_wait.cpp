#include "platform/child_wait.h"

#include "platform/events.h"
#include "platform/io/os.h"

namespace meru::platform {

namespace {

void serve_events() { sleep_ms(kChildPollMs); }

} // namespace

int run_and_wait(const std::string& program, const std::vector<std::string>& args)
{
    return io::run_and_wait(program, args, serve_events);
}

int open_url(const std::string& url, const std::string& opener) { return io::open_url(url, opener, serve_events); }

} // namespace meru::platform
