#include "ui/control_notes.h"

#include "core/services.h"
#include "platform/io/logwriter.h"

#include <set>
#include <string>
#include <utility>

namespace meru::ui {

void control_notes(const files::CfNotes& notes, io::LogWriter& log, Services& sv)
{
    using Kind = files::CfNote::Kind;
    std::set<std::pair<Kind, std::string>> shown;
    for (const files::CfNote& n : notes.items) {
        // A note met again in the same reading is not shown again: it goes to the log.
        if (n.kind != Kind::line && !shown.emplace(n.kind, n.text).second) {
            std::string text = n.text;
            std::erase(text, '$');
            log.write(text);
            continue;
        }
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
