#pragma once
// The services of one user action that shows each note once: a message box with
// OK only, a plain box, a note or a help topic whose text the action has shown
// already is not shown again, and what showing it would write to the log is
// written all the same. Questions, the quit note of a by-group run and every
// other service pass through.
#include "core/services.h"

#include <set>
#include <string>

namespace meru::io {
class LogWriter;
}

namespace meru::mainloop {

class NotesOnce final : public Services {
public:
    NotesOnce(Services& inner, io::LogWriter& log) : inner_(inner), log_(log) {}

    int msgbox(std::string& text, BoxKind kind, bool log) override;
    void msgok(std::string_view text) override;
    bool quiz(std::string_view question) override { return inner_.quiz(question); }
    void note(std::string_view text, NoteKind kind, bool log) override;
    void thinking(std::string_view text, bool show) override { inner_.thinking(text, show); }
    void helpshow(std::string_view topic) override;
    void actlog(std::string_view text) override { inner_.actlog(text); }
    void selfont(int sizecode) override { inner_.selfont(sizecode); }
    void yield() override { inner_.yield(); }
    bool search_end() override { return inner_.search_end(); }
    void clear_search_end() override { inner_.clear_search_end(); }

private:
    // True the first time the action shows `text` this way.
    bool first(char way, std::string_view text) { return shown_.insert(way + std::string(text)).second; }

    Services& inner_;
    io::LogWriter& log_;
    std::set<std::string> shown_;
};

} // namespace meru::mainloop
