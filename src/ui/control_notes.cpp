#include "ui/control_notes.h"

#include "core/services.h"
#include "platform/io/logwriter.h"

namespace meru::ui {

void control_notes(const files::CfNotes& notes, io::LogWriter& log, Services& sv)
{
    using Kind = files::CfNote::Kind;
    for (const files::CfNote& n : notes.items) {
        switch (n.kind) {
        case Kind::line: log.write(n.text); break;
        case Kind::help: sv.helpshow(n.text); break;
        case Kind::box:
        case Kind::info: {
            std::string text = n.text;
            sv.msgbox(text, n.kind == Kind::box ? BoxKind::OkCancel : BoxKind::Ok, false);
            break;
        }
        case Kind::ok: sv.msgok(n.text); break;
        }
    }
}

} // namespace meru::ui
