#include "outcome/attributey.h"

#include "core/services.h"
#include "files/tables.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "ui/msgtext.h"

namespace meru::outcome {

namespace {

bool starts(const std::string& s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }

} // namespace

const std::string& y_label(const files::Attribute& a) { return a.attlab[a.signbyte < 0 ? 0 : 1]; }

std::vector<AttributeItem> attribute_items(const files::ControlTables& t, const std::vector<int>& lines)
{
    std::vector<AttributeItem> items;
    for (int j : lines) {
        if (j <= 1 || j > t.nlines) continue;
        const files::AttrLine& line = t.line[static_cast<std::size_t>(j)];
        if (line.ncuts <= 0) {
            items.push_back({});
            continue;
        }
        const int first = t.line[static_cast<std::size_t>(j - 1)].attoff + 1;
        if (first > t.natt || starts(t.att[static_cast<std::size_t>(first)].attname, "_r_")) continue;
        int listed = 0;
        for (int a = first; a < first + line.ncuts && a <= t.natt; ++a) {
            const files::Attribute& att = t.att[static_cast<std::size_t>(a)];
            if (starts(att.attname, "_i_") || starts(att.attname, "_r_")) break;
            items.push_back({ui::squeeze(att.attname + y_label(att)), a, j});
            ++listed;
        }
        if (listed == line.ncuts) items.push_back({});
    }
    return items;
}

ChoiceCheck check_choice(const std::vector<AttributeItem>& items, const std::vector<bool>& selected,
                         AttributeChoice& choice)
{
    choice = {};
    int n = 0;
    for (std::size_t j = 0; j < items.size() && j < selected.size(); ++j) {
        if (!selected[j]) continue;
        if (items[j].att == 0) return ChoiceCheck::again;
        if (n == 5) return ChoiceCheck::too_many;
        if (n > 0 && items[j].line != choice.line) return ChoiceCheck::two_lines;
        choice.yattr[static_cast<std::size_t>(n++)] = items[j].att;
        choice.line = items[j].line;
    }
    return n == 0 ? ChoiceCheck::again : ChoiceCheck::accepted;
}

bool attributey(const files::ControlTables& t, const std::vector<int>& lines, YDialogs& dialogs, Services& sv,
                io::LogWriter& log, std::string& msgline, AttributeChoice& choice, std::string& ydname)
{
    const std::vector<AttributeItem> items = attribute_items(t, lines);
    std::vector<std::string> labels;
    for (const auto& item : items) labels.push_back(item.label);
    for (;;) {
        msgline = "Highlight & Select with OK";
        std::vector<bool> selected(items.size(), false);
        const int id = dialogs.attribute_y(labels, selected);
        if (id == kDialogMissing) {
            log.write(" Error: dialog box attributey not found");
            return false;
        }
        if (id == kCancel) return false;
        if (id == ids::kAttributeHelp) {
            msgline = "Y from attributes";
            sv.helpshow(msgline);
            continue;
        }
        std::string text;
        switch (check_choice(items, selected, choice)) {
        case ChoiceCheck::again: continue;
        case ChoiceCheck::too_many:
            text = "Each cut creates a dummy variable. Cannot have more than " + io::fmt_i(5, 2) + " cuts$";
            sv.msgbox(text, BoxKind::Ok, false);
            continue;
        case ChoiceCheck::two_lines:
            text = "Cannot have cut sequence from different CF line sequences $";
            sv.msgbox(text, BoxKind::Ok, false);
            continue;
        case ChoiceCheck::accepted: break;
        }
        const files::AttrLine& line = t.line[static_cast<std::size_t>(choice.line)];
        ydname = line.name.substr(0, 8);
        if (line.ncuts > 1) log.write(" Attributes formed from variable :" + io::fmt_a(ydname, 8));
        return true;
    }
}

} // namespace meru::outcome
