#pragma once
// Message boxes and the yes/no question, owned by the frame. In a scripted run
// the script answers them (and their texts are echoed to standard error).
#include "platform/modal_host.h"

#include <string_view>

namespace meru::platform {

enum class BoxButtons { Ok, OkCancel };
enum class BoxIcon { None, Information, Question, Exclamation };

// Shows `text` captioned `caption`; returns 1 for OK, 2 for Cancel (Esc and the
// close box give Cancel, or OK when OK is the only button).
int message_box(const ModalHost& host, std::string_view text, std::string_view caption, BoxButtons buttons,
                BoxIcon icon);

// Asks `text` with Yes and No; true for Yes (Esc and the close box give No).
bool ask_yes_no(const ModalHost& host, std::string_view text, std::string_view caption);

} // namespace meru::platform
