#include "settings/attr_picker.h"

#include "core/services.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "platform/io/strings.h"

#include <algorithm>

namespace meru::settings {

namespace ids = picker_ids;

std::string attribute_text(const files::ControlTables& tables, int attribute, int label_column)
{
    const files::Attribute& at = tables.att[static_cast<std::size_t>(attribute)];
    const std::string& label = at.attlab[static_cast<std::size_t>(label_column == 2 ? 1 : 0)];
    std::string text =
        files::squeeze(io::fmt_a(at.attname, files::kNameLen) + io::fmt_a(label, files::kLabelLen), '$');
    if (text.size() > 28) text.resize(28);
    return io::rtrim(text);
}

std::vector<int> variable_lines(const files::ControlTables& tables)
{
    std::vector<int> varline(static_cast<std::size_t>(std::max(tables.vars.nvar, 0)) + 1, 1);
    for (int t = tables.nlines; t >= 2; --t) {
        const int v = tables.line[static_cast<std::size_t>(t)].var;
        if (v >= 1 && v <= tables.vars.nvar) varline[static_cast<std::size_t>(v)] = t;
    }
    return varline;
}

std::vector<PickItem> picker_items(const files::ControlTables& tables, const std::vector<int>& varline,
                                   const PickRange& range)
{
    std::vector<PickItem> items;
    const bool both = range.lo == 0 && range.hi == 1;
    const int last = std::min(range.last, static_cast<int>(varline.size()) - 1);
    for (int v = std::max(range.first, 1); v <= last; ++v) {
        const int t = varline[static_cast<std::size_t>(v)];
        if (t <= 1 || t > tables.nlines) continue;
        const files::AttrLine& line = tables.line[static_cast<std::size_t>(t)];
        const int offset = tables.line[static_cast<std::size_t>(t - 1)].attoff;
        for (int j = 1; j <= line.ncuts; ++j) {
            const int a = offset + j;
            if (a < 1 || a > tables.natt) continue;
            for (int side = range.lo; side <= range.hi; ++side) {
                // In the forcing layout both items carry label 2.
                const int column = range.forcing && both ? 2 : side + 1;
                std::string text = io::fmt_a(" " + attribute_text(tables, a, column), kItemWidth);
                const bool tagged = both && side == 1;
                if (tagged) text[0] = '*';
                items.push_back({text, a, side, tables.att[static_cast<std::size_t>(a)].attline, tagged});
            }
        }
    }
    return items;
}

Pick pick_from(const std::vector<PickItem>& items, const std::string& caption, const std::string& help,
               FormDialog& dialog, Services& services, io::LogWriter& log)
{
    std::vector<std::string> texts;
    texts.reserve(items.size());
    for (const PickItem& item : items) texts.push_back(item.text);
    for (;;) {
        Form form;
        form.items[ids::kList] = texts;
        form.text[ids::kCaption] = caption.substr(0, kCaptionWidth);
        const int closed = dialog.run(ids::kDialog, form);
        if (closed == kMissing) {
            log.write("Error: dialog box 5 not found");
            return {};
        }
        if (closed == kCancel) return {};
        if (closed == kOk) {
            const auto it = std::find(texts.begin(), texts.end(), form.choice[ids::kList]);
            if (it == texts.end()) continue; // nothing highlighted
            const PickItem& item = items[static_cast<std::size_t>(it - texts.begin())];
            return {item.attribute, item.side, std::max(item.line, 1)};
        }
        if (closed == ids::kHelp) services.helpshow(help.substr(0, 40));
    }
}

Pick selattr(const files::ControlTables& tables, const std::vector<int>& varline, const PickRange& range,
             const std::string& caption, const std::string& help, FormDialog& dialog, Services& services,
             io::LogWriter& log)
{
    return pick_from(picker_items(tables, varline, range), caption, help, dialog, services, log);
}

} // namespace meru::settings
