#pragma once
// A log writer with no file whose lines are kept for the test to read.
#include "platform/io/logwriter.h"

#include <string>
#include <vector>

namespace meru::partition::test {

struct CapturedLog {
    io::LogWriter log;
    std::vector<std::string> lines;
    CapturedLog()
    {
        log.set_trace_sink([this](std::string_view l) { lines.emplace_back(l); });
    }
};

} // namespace meru::partition::test
