#include "ui/msgtext.h"

#include "files/textutil.h"

#include <algorithm>

namespace meru::ui {

std::string squeeze(std::string_view in, char sqzchar)
{
    // Collapsing first and dropping afterwards keeps the dropped characters in
    // place while blanks are compared with the character before them.
    std::string out = files::squeeze(in, '\0');
    std::erase(out, sqzchar);
    return out;
}

std::string_view upto_dollar(std::string_view text) { return text.substr(0, std::min(text.find('$'), text.size())); }

std::string box_text(std::string_view text)
{
    std::string out = squeeze(upto_dollar(text));
    if (out.size() > kBoxTextMax) out.resize(kBoxTextMax);
    return out;
}

std::string box_caption(std::string_view text)
{
    return std::string(text.substr(0, std::min<std::size_t>(10, text.size()))) + "....";
}

std::string note_text(std::string_view text, NoteKind kind)
{
    std::string_view cut = upto_dollar(text);
    const int length_rule = static_cast<int>(kind);
    if (length_rule > 2) cut = cut.substr(0, std::min(cut.size(), static_cast<std::size_t>(length_rule - 1)));
    std::string out = squeeze(cut);
    if (out.size() > kNoteTextMax) out.resize(kNoteTextMax);
    return out;
}

Question question_text(std::string_view text)
{
    std::size_t n = text.size();
    if (text.size() > 1) {
        const std::size_t q = text.find('?', 1);
        if (q != std::string_view::npos) n = q + 1;
    }
    Question out;
    out.text = squeeze(std::string(text.substr(0, n)) + " ");
    out.shown = out.text.starts_with('?') ? out.text.substr(1) : out.text;
    out.topic = out.text.substr(0, std::min({n, kTopicMax, out.text.size()}));
    return out;
}

} // namespace meru::ui
