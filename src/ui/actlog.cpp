#include "ui/actlog.h"

#include "platform/events.h"
#include "platform/io/logwriter.h"

#include <cstdio>

namespace meru::ui {

std::string time_line(const platform::DateTime& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%%time%2d:%02d:%02d:%02d", t.hour % 100, t.minute % 100, t.second % 100,
                  t.hundredths % 100);
    return buf;
}

void actlog(io::LogWriter& log, ActionHistory& history, std::string& text)
{
    if (text.size() > ActionHistory::kHeadingMax) text.resize(ActionHistory::kHeadingMax);
    log.write(text);

    // Spin until the clock's hundredths move on; a clock that keeps virtual time
    // is moved on by a millisecond per try.
    std::string line = time_line(platform::now());
    while (line == history.last_written) {
        platform::clock().pass(1);
        line = time_line(platform::now());
    }
    log.write(line);

    if (!text.empty() && text[0] == '%') {
        if (text.find_first_not_of(' ', 30) < 33) text[30] = '~';
        HistoryEntry e{text.size() > 1 ? text.substr(1, 30) : std::string(), line};
        if (history.entries.size() < ActionHistory::kCapacity) history.entries.push_back(std::move(e));
        else history.entries.back() = std::move(e);
    }
    history.lasttime = line;
    history.last_written = line;
}

} // namespace meru::ui
