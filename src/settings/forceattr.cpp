#include "settings/forceattr.h"

#include "core/services.h"
#include "files/tables.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "settings/attr_picker.h"

namespace meru::settings {

namespace {

constexpr const char* kCaption = "NOTE: Tagged * force Intersection with A, non-tagged force Union with A";
constexpr const char* kForceHelp = "Help:Forcing attribute";

} // namespace

std::string bounded_note(std::string text)
{
    const std::size_t room = kForceNoteWidth - 1; // the closing "$"
    if (text.size() > room) {
        std::size_t cut = text.find_last_of(' ', room);
        if (cut == std::string::npos || cut == 0) cut = room;
        text.resize(cut);
    }
    return text + "$";
}

void forceattr(Forcing& forcing, bool& forcein, const files::ControlTables& tables, const std::vector<int>& varline,
               int lastvar, FormDialog& dialog, Services& services, io::LogWriter& log)
{
    const PickRange range{1, lastvar, 0, 1, true};
    const Pick pick = selattr(tables, varline, range, kCaption, kForceHelp, dialog, services, log);
    if (pick.result == 0) {
        forcein = false;
        services.note("Forcing is cancelled $", NoteKind::Full, true);
        return;
    }
    forcing.forceunion = pick.side == 0;
    forcing.forceinter = pick.side == 1;
    const int f = pick.attribute;
    const std::string t1 = io::fmt_a(attribute_text(tables, f, pick.side + 1), 28);
    const std::string t2 = io::fmt_a(attribute_text(tables, f, 2 - pick.side), 28);
    log.write("Forced attribute: " + t1);
    std::string text;
    if (pick.side == 1)
        text = "Forced intersection of " + t1 + " with " + " A" + ", forced union of " + t2 + " with " + "A-";
    else text = "Forced union of " + t2 + " with " + " A" + ", forced intersection of " + t1 + " with " + "A-";
    services.note(bounded_note(text), NoteKind::Full, true);
    forcing.forcedattr = tables.att[static_cast<std::size_t>(f)].signbyte * f;
}

} // namespace meru::settings
