#pragma once
// What a routine of the computing core has for the user, kept in the order it
// arose: notes, help topics, plain messages, and the log lines that came after
// the first of them. The core shows nothing itself: the layer above shows a
// Notices (ui::tell) as soon as the call that filled it returns, so the user
// sees the same things in the same order as if they had been shown on the spot.
#include "core/message_kinds.h"
#include "platform/io/logwriter.h"

#include <string>
#include <utility>
#include <vector>

namespace meru {

struct Notice {
    enum class Kind {
        note,    // note dialog of `note_kind`, its text also logged when `log`
        help,    // the help topic `text`
        message, // plain box "Message..." with OK, not logged
        line,    // a log line that follows a notice still to be shown
    };
    Kind kind = Kind::line;
    std::string text;
    NoteKind note_kind = NoteKind::Full;
    bool log = false;

    bool operator==(const Notice&) const = default;
};

class Notices {
public:
    void add_note(std::string text, NoteKind kind, bool log)
    {
        items_.push_back({Notice::Kind::note, std::move(text), kind, log});
    }
    void add_help(std::string topic) { items_.push_back({Notice::Kind::help, std::move(topic)}); }
    void add_message(std::string text) { items_.push_back({Notice::Kind::message, std::move(text)}); }
    // A log line: written at once while nothing waits to be shown, else queued
    // behind what waits, so the log keeps the order in which things arose.
    void line(io::LogWriter& log, std::string text)
    {
        if (items_.empty()) log.write(text);
        else items_.push_back({Notice::Kind::line, std::move(text)});
    }

    bool empty() const { return items_.empty(); }
    const std::vector<Notice>& items() const { return items_; }
    void clear() { items_.clear(); }

private:
    std::vector<Notice> items_;
};

} // namespace meru
