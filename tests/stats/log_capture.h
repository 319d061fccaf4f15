#pragma once
// A log writer with no file open, whose lines are collected for comparison.
#include "platform/io/logwriter.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::test {

struct LogCapture {
    io::LogWriter log;
    std::vector<std::string> lines;
    LogCapture()
    {
        log.set_trace_sink([this](std::string_view line) { lines.emplace_back(line); });
    }
};

// True when |actual - expected| <= rel * |expected| (or <= rel when expected is 0).
inline bool close_rel(double actual, double expected, double rel = 1e-6)
{
    const double scale = expected == 0.0 ? 1.0 : (expected < 0 ? -expected : expected);
    const double diff = actual > expected ? actual - expected : expected - actual;
    return diff <= rel * scale;
}

} // namespace meru::test
