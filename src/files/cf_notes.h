#pragma once
// What reading or writing a control file met, kept in the order met: the program
// writes these notes (log lines, help topics, message boxes) once the reader or
// writer returns. None of the boxes asks a question whose answer they need.
#include <string>
#include <string_view>
#include <vector>

namespace meru::files {

struct CfNote {
    enum class Kind {
        line, // a line of the output log
        help, // a help topic
        box,  // a message box with OK and Cancel
        ok,   // a plain box with OK only
        info, // a box with OK only, captioned by its text
    };
    Kind kind = Kind::line;
    std::string text;
    bool operator==(const CfNote&) const = default;
};

struct CfNotes {
    std::vector<CfNote> items;

    void line(std::string_view text) { add(CfNote::Kind::line, text); }
    void help(std::string_view topic) { add(CfNote::Kind::help, topic); }
    void box(std::string_view text) { add(CfNote::Kind::box, text); }
    void ok(std::string_view text) { add(CfNote::Kind::ok, text); }
    void info(std::string_view text) { add(CfNote::Kind::info, text); }

private:
    void add(CfNote::Kind kind, std::string_view text) { items.push_back({kind, std::string(text)}); }
};

} // namespace meru::files
