#include "partition/manpart.h"

#include "core/services.h"
#include "files/textutil.h"
#include "partition/parttext.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>

namespace meru::partition {

namespace ids = manpart_ids;

namespace {

constexpr size_t kEntryLen = 45;
constexpr size_t kEntryNameLen = 28;

int line_offset(int line, const files::ControlTables& t)
{
    return line > 1 && static_cast<size_t>(line - 1) < t.line.size() ? t.line[static_cast<size_t>(line - 1)].attoff
                                                                     : 0;
}

// The text as the edit box shows it: without its trailing blanks.
std::string shown(const std::string& text) { return files::rtrim(text); }

std::string blank_text() { return std::string(static_cast<size_t>(kTextLen), ' '); }

void message(Services& sv, const char* text)
{
    std::string m = text;
    sv.msgbox(m, BoxKind::Ok, false);
}

} // namespace

AttributeList attribute_entries(const files::ControlTables& t, const std::vector<int>& linelist)
{
    AttributeList out;
    for (int k : linelist) {
        if (k < 1 || static_cast<size_t>(k) >= t.line.size()) continue;
        const int off = line_offset(k, t);
        for (int j = 1; j <= t.line[static_cast<size_t>(k)].ncuts; ++j) {
            const int a = j + off;
            if (a < 1 || static_cast<size_t>(a) >= t.att.size()) continue;
            const files::Attribute& at = t.att[static_cast<size_t>(a)];
            const std::string& label = at.attlab[at.signbyte == -1 ? 0 : 1];
            std::string name = files::squeeze(at.attname + label);
            if (name.size() > kEntryNameLen) name.resize(kEntryNameLen);
            std::string entry = io::fmt_i(a, 5) + ": " + name;
            entry.resize(kEntryLen, ' ');
            out.entries.push_back(entry);
            out.attribute.push_back(a);
        }
    }
    return out;
}

void add_selected(std::string& text, const std::vector<bool>& selected, const AttributeList& list, Services& sv)
{
    std::string t = shown(text);
    for (size_t i = 0; i < selected.size() && i < list.attribute.size(); ++i) {
        if (!selected[i]) continue;
        const std::string piece = " (" + std::to_string(list.attribute[i]) + ")";
        if (t.size() + piece.size() > static_cast<size_t>(kTextLen)) {
            message(sv, "String possibly too long >200 chars??$");
            break;
        }
        t += piece;
    }
    t.resize(static_cast<size_t>(kTextLen), ' ');
    text = t;
}

ManpartResult manpart(bool combmode, ManualText& state, const files::ControlTables& t,
                      const std::vector<int>& linelist, PartitionDialogs& dialogs, Services& sv, io::LogWriter& log)
{
    ManpartResult res;
    bool combo = combmode;
    for (;;) {
        if (combo) {
            combo = false;
            std::vector<bool> sel(t.cfcomb.size(), false);
            for (;;) {
                const int id = dialogs.combination(t.cfcomb, sel);
                if (id == kDialogMissing) {
                    log.write("Error: dialog box 61 not found");
                    break;
                }
                if (id == ids::kCancel) {
                    res.cancelled = true;
                    log.write(" Cancel creating added attribute from CF combination");
                    return res;
                }
                if (id != ids::kOk) {
                    if (id == ids::kComboHelp) sv.helpshow("Control file Boolean combination");
                    continue;
                }
                size_t pick = 0;
                while (pick < sel.size() && !sel[pick]) ++pick;
                if (pick >= sel.size() || pick >= t.cfcomb.size()) continue;
                std::string line = t.cfcomb[pick];
                line.resize(static_cast<size_t>(kTextLen), ' ');
                const size_t open = line.find('(');
                if (open == std::string::npos) {
                    sv.msgok("Bad combination !$");
                    res.cancelled = true;
                    return res;
                }
                res.combname = line.substr(0, std::min<size_t>(open, files::kNameLen));
                res.combname.resize(files::kNameLen, ' ');
                state.ptext = line.substr(open);
                state.ptext.resize(static_cast<size_t>(kTextLen), ' ');
                break;
            }
            state.aminus = false;
        } else {
            state.saved = state.ptext;
            const AttributeList list = attribute_entries(t, linelist);
            ManualView view;
            view.text = shown(state.ptext);
            view.aminus = state.aminus;
            view.simplify = state.simplify;
            view.entries = list.entries;
            view.selected.assign(list.entries.size(), false);
            for (;;) {
                const int id = dialogs.manual(view);
                if (id == kDialogMissing) {
                    log.write("Error: dialog box 50 not found");
                    res.cancelled = true;
                    return res;
                }
                state.ptext = fit_text(view.text, sv);
                if (id == ids::kCancel) {
                    state.ptext = state.saved;
                    res.cancelled = true;
                    return res;
                }
                if (id == ids::kHelp) {
                    sv.helpshow("Manual partition dialog");
                } else if (id == ids::kClear) {
                    state.ptext = blank_text();
                } else if (id == ids::kAdd) {
                    add_selected(state.ptext, view.selected, list, sv);
                } else {
                    if (id == ids::kOk) {
                        state.aminus = view.aminus;
                        state.simplify = view.simplify;
                        res.cancelled = false;
                    }
                    break;
                }
                view.text = shown(state.ptext);
            }
        }

        // Parse; every error shows the Manual partition dialog again.
        ParsedPartition p = parse_partition(state.ptext, t.natt, state.aminus, sv, log);
        if (p.accepted) state.saved = state.ptext;
        if (p.result != ParseResult::Ok) continue;
        res.litline.clear();
        res.litcut.clear();
        bool lines_ok = true;
        for (Literal l : p.list.lits) {
            const int a = attribute_of(l);
            const int line = static_cast<size_t>(a) < t.att.size() ? t.att[static_cast<size_t>(a)].attline : 0;
            if (line < 1 || static_cast<size_t>(line) >= t.line.size()) {
                lines_ok = false;
                break;
            }
            res.litline.push_back(line);
            res.litcut.push_back(a - line_offset(line, t));
        }
        if (!lines_ok) {
            message(sv, "Bad expression syntax$");
            continue;
        }
        res.list = std::move(p.list);
        res.repflag = p.repflag;
        return res;
    }
}

} // namespace meru::partition
