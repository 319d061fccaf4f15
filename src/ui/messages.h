#pragma once
// The four reporting routines (message box, plain box, yes/no question with Help,
// note and the by-group quit note) and the help display every caller goes through.
// The text rules are those of msgtext.h; the texts are written back shortened.
#include "core/message_kinds.h"
#include "core/notices.h"

#include <string>
#include <string_view>

namespace meru {
class Services;
}

namespace meru::ui {

struct Context;

// Dialog templates of the question, the note and the quit note (resources/dialogs).
constexpr int kDialogQuiz = 127;
constexpr int kDialogNote = 140;
constexpr int kDialogQuit = 141;

// Message box with `text` (box_text) captioned by its first 10 characters and
// "....", with the buttons and icon of `kind`. With `logflag` the text is also a
// log line. Returns 1 for OK, 2 for Cancel.
int msgbox(Context& ctx, std::string& text, BoxKind kind, bool logflag);

// Plain box "Message..." with OK and no icon: the text before its first "$" and a
// blank. Nothing is written back or logged.
void msgok(Context& ctx, std::string_view text);

// The yes/no question (question_text) in dialog 127; Help shows the help topic and
// asks again. True for Yes; No, Esc and a missing template ("Error: dialogquiz  not
// found" in the log) give false.
bool quiz(Context& ctx, std::string& text);

// The note (note_text) in dialog 140 until OK, result 1; of kind Quit the quit
// note, dialog 141, until one of OK (1), "Quit by group" (2) or "Yes to all" (4).
// A missing template gives its log line and result 1. With `logflag` the text is
// also a log line.
int note(Context& ctx, std::string& text, NoteKind kind, bool logflag);

// Shows the help topic named by the first 40 characters of `topic` through
// ctx.help; while no help display is set, a box "No HELP available on: " + topic.
void helpshow(Context& ctx, std::string_view topic);

// Shows what a routine of the core left for the user, in order, through the
// services, its queued lines written to `log`, and empties it.
void tell(Services& services, io::LogWriter& log, Notices& notices);

} // namespace meru::ui
