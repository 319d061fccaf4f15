#include "mainloop/manual_partition.h"

#include "core/services.h"
#include "files/textutil.h"
#include "partition/parttext.h"
#include "search/combination_check.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>

namespace meru::mainloop {

namespace ids = ui::manpart_ids;
using ui::kDialogMissing;
using partition::kTextLen;

namespace {

// The text as the edit box shows it: without its trailing blanks.
std::string shown(const std::string& text) { return files::rtrim(text); }

std::string blank_text() { return std::string(static_cast<size_t>(kTextLen), ' '); }

void message(Services& sv, const char* text)
{
    std::string m = text;
    sv.msgbox(m, BoxKind::Ok, false);
}

constexpr const char* kTooLong = "String possibly too long >200 chars??$";
constexpr const char* kBadSyntax = "Bad expression syntax$";

// The text typed into the dialog, cut or padded to 200 columns, with a warning
// when it may run past them.
std::string fitted(const std::string& typed, Services& sv)
{
    partition::FittedText f = partition::fit_text(typed);
    if (f.maybe_too_long) message(sv, kTooLong);
    return std::move(f.text);
}

// Parses the text, saying why it was refused or logging it once read.
partition::ParsedPartition parse(ManualText& state, int natt, Services& sv, io::LogWriter& log)
{
    partition::ParsedPartition p = partition::parse_partition(state.ptext, natt, state.aminus);
    if (!p.accepted) {
        log.write(" Bad Boolean expression");
        message(sv,
                p.cut ? "Bad expression syntax: the last term runs to column 200 without its \")\"$" : kBadSyntax);
        return p;
    }
    if (p.query) log.write(" Syntax query. Will try to ignore");
    switch (p.result) {
    case partition::ParseResult::BadSyntax: message(sv, kBadSyntax); break;
    case partition::ParseResult::OutOfRange:
        message(sv, "Attribute number(s) not in range$");
        log.write(io::list_record("out of range:", p.out_of_range));
        break;
    case partition::ParseResult::Ok: log.write(" Partition:combination: " + state.ptext); break;
    }
    return p;
}

} // namespace

ManpartResult manpart(bool combmode, ManualText& state, const files::ControlTables& t,
                      const std::vector<int>& linelist, ui::PartitionDialogs& dialogs, Services& sv,
                      io::LogWriter& log)
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
                if (const std::string refused = search::combination_not_made(
                        t.cfcomb[pick], pick < t.cfcheck.size() ? t.cfcheck[pick] : std::string(), t);
                    !refused.empty()) {
                    log.write(refused);
                    sv.msgok(refused + "$");
                    continue;
                }
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
            const partition::AttributeList list = partition::attribute_entries(t, linelist);
            ui::ManualView view;
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
                state.ptext = fitted(view.text, sv);
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
                    if (!partition::add_selected(state.ptext, view.selected, list)) message(sv, kTooLong);
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
        partition::ParsedPartition p = parse(state, t.natt, sv, log);
        if (p.accepted) state.saved = state.ptext;
        if (p.result != partition::ParseResult::Ok) continue;
        if (!partition::literal_places(p.list, t, res.litline, res.litcut)) {
            message(sv, kBadSyntax);
            continue;
        }
        res.list = std::move(p.list);
        res.repflag = p.repflag;
        return res;
    }
}

} // namespace meru::mainloop
