#pragma once
// The text rules of the message routines, as plain functions: a message ends at
// its first "$"; the squeeze drops every "$" and collapses runs of blanks; a
// question runs from its leading "?" to the next "?". No Qt here.
#include "core/message_kinds.h"

#include <string>
#include <string_view>

namespace meru::ui {

// Longest texts the message box and the note show (longer texts are cut there).
constexpr std::size_t kBoxTextMax = 160;
constexpr std::size_t kNoteTextMax = 255;
// A help topic is named by at most this many characters.
constexpr std::size_t kTopicMax = 40;

// `in` without `sqzchar` and with runs of blanks collapsed to one blank. A blank
// counts as repeated when the character before it in `in` (dropped or not) is a
// blank: so "a $ b" gives "a  b". A leading blank stays.
std::string squeeze(std::string_view in, char sqzchar = '$');

// The text before its first "$" (the whole text when there is none).
std::string_view upto_dollar(std::string_view text);

// The message box's text: before the first "$", squeezed, at most kBoxTextMax.
std::string box_text(std::string_view text);
// The message box's caption: the first 10 characters of its text and "....".
std::string box_caption(std::string_view text);

// The note's text: before the first "$", for a kind of a value above 2 also at
// most value - 1 characters; squeezed, at most kNoteTextMax.
std::string note_text(std::string_view text, NoteKind kind);

// A question as the yes/no dialog asks it.
struct Question {
    std::string text;  // up to the closing "?" and one blank, squeezed ("?" kept)
    std::string shown; // text without its leading "?"
    std::string topic; // the help topic: the first min(n, 40) characters of text
};
// n is the position of the first "?" after the first character (the whole text
// when there is none).
Question question_text(std::string_view text);

} // namespace meru::ui
