#pragma once
// A Services fake for tests: records every call as a line and answers
// questions and message boxes from queues (Yes / OK when the queue is empty).
#include "core/notices.h"
#include "core/services.h"

#include <deque>
#include <string>
#include <vector>

namespace meru::test {

class RecordingServices : public Services {
public:
    std::vector<std::string> calls; // "msgbox:TEXT", "quiz:TEXT", ...
    std::deque<bool> quiz_answers;
    std::deque<int> msgbox_answers;
    bool end_requested = false;
    int yields = 0;

    int msgbox(std::string& text, BoxKind kind, bool log) override
    {
        calls.push_back("msgbox:" + text + (log ? " [log]" : "") + " kind=" + name(kind));
        return take(msgbox_answers, 1);
    }
    void msgok(std::string_view text) override { calls.push_back("msgok:" + std::string(text)); }
    bool quiz(std::string_view q) override
    {
        calls.push_back("quiz:" + std::string(q));
        return take(quiz_answers, true);
    }
    void note(std::string_view text, NoteKind kind, bool log) override
    {
        calls.push_back("note:" + std::string(text) + (log ? " [log]" : "") + " kind=" + name(kind));
    }
    void thinking(std::string_view text, bool show) override
    {
        calls.push_back(std::string(show ? "thinking:" : "thinking-open:") + std::string(text));
    }
    void helpshow(std::string_view topic) override { calls.push_back("help:" + std::string(topic)); }
    void actlog(std::string_view text) override { calls.push_back("actlog:" + std::string(text)); }
    void selfont(int code) override { calls.push_back("selfont:" + std::to_string(code)); }
    void yield() override { ++yields; }
    bool search_end() override { return end_requested; }
    void clear_search_end() override { end_requested = false; }

    // Shows what a routine of the core left, as the program does: each notice
    // becomes the call it stands for, each queued line goes to `log`.
    void replay(Notices& notices, io::LogWriter* log = nullptr)
    {
        for (const Notice& n : notices.items()) {
            switch (n.kind) {
            case Notice::Kind::note: note(n.text, n.note_kind, n.log); break;
            case Notice::Kind::help: helpshow(n.text); break;
            case Notice::Kind::message: msgok(n.text); break;
            case Notice::Kind::line:
                if (log) log->write(n.text);
                break;
            }
        }
        notices.clear();
    }

    // Calls whose record starts with `prefix`.
    std::vector<std::string> with_prefix(std::string_view prefix) const
    {
        std::vector<std::string> out;
        for (const auto& c : calls)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

private:
    static std::string name(BoxKind k)
    {
        switch (k) {
        case BoxKind::Ok: return "ok";
        case BoxKind::OkCancel: return "okcancel";
        case BoxKind::Question: return "question";
        }
        return "?";
    }
    static std::string name(NoteKind k)
    {
        switch (k) {
        case NoteKind::Full: return "full";
        case NoteKind::Quit: return "quit";
        case NoteKind::Cut49: return "cut49";
        case NoteKind::Cut79: return "cut79";
        }
        return "?";
    }
    template <class T> static T take(std::deque<T>& q, T dflt)
    {
        if (q.empty()) return dflt;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace meru::test
