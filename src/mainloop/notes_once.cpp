#include "mainloop/notes_once.h"

#include "platform/io/logwriter.h"
#include "ui/helpindex.h"
#include "ui/msgtext.h"

namespace meru::mainloop {

int NotesOnce::msgbox(std::string& text, BoxKind kind, bool log)
{
    if (kind != BoxKind::Ok || first('b', text)) return inner_.msgbox(text, kind, log);
    text = ui::box_text(text);
    if (log) log_.write(text);
    return 1;
}

void NotesOnce::msgok(std::string_view text)
{
    if (first('k', text)) inner_.msgok(text);
}

void NotesOnce::note(std::string_view text, NoteKind kind, bool log)
{
    if (kind == NoteKind::Quit || first('n', text)) inner_.note(text, kind, log);
    else if (log) log_.write(ui::note_text(text, kind));
}

void NotesOnce::helpshow(std::string_view topic)
{
    if (first('h', topic)) inner_.helpshow(topic);
    else if (log_.is_open()) log_.write(ui::fixed_width(topic.substr(0, ui::kTopicMax), ui::kHelpNameWidth));
}

} // namespace meru::mainloop
