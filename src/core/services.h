#pragma once
// The interface services as the computing core (src/files, src/partition, src/stats)
// sees them. The program implements this with the Qt interface services of src/ui;
// tests use the recording fake in tests/support/recording_services.h.
// No Qt here: the core compiles and tests without it.
#include "core/message_kinds.h"

#include <string>
#include <string_view>

namespace meru {

class Services {
public:
    virtual ~Services() = default;

    // Message box: shows `text` up to its first "$", blanks collapsed, with the buttons
    // and icon of `kind`. Returns the button pressed (1 OK, 2 Cancel). With `log`
    // the text is also written to the output log. The shortened text is written back.
    virtual int msgbox(std::string& text, BoxKind kind, bool log) = 0;
    // Plain box titled "Message..." with OK only; nothing written to the log.
    virtual void msgok(std::string_view text) = 0;
    // Yes/no question (text from its leading "?" to the next "?"); true for Yes.
    virtual bool quiz(std::string_view question) = 0;
    // Note dialog of `kind`; with `log` the text also goes to the output log.
    virtual void note(std::string_view text, NoteKind kind, bool log) = 0;
    // Progress window: `show` false opens "I'm thinking...."; true writes `text` into it.
    virtual void thinking(std::string_view text, bool show) = 0;
    // Shows the help topic named by the first 40 characters of `topic`.
    virtual void helpshow(std::string_view topic) = 0;
    // Writes `text` to the output log followed by a unique "%time" line.
    virtual void actlog(std::string_view text) = 0;
    // Selects the graphics font of size code -5..5 for text drawn next.
    virtual void selfont(int sizecode) = 0;
    // Lets the user interface breathe during long loops (cheap, time-gated).
    virtual void yield() = 0;
    // True once the user has asked Search:End; `clear` resets the request.
    virtual bool search_end() = 0;
    virtual void clear_search_end() = 0;
};

} // namespace meru
