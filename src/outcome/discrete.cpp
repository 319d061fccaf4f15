#include "outcome/discrete.h"

#include "core/services.h"
#include "files/charcodes.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"
#include "ui/msgtext.h"

#include <algorithm>

namespace meru::outcome {

namespace {

constexpr const char* kHelpTopic = "Help: Discrete Y 2<categories<=5";

void show_order(DiscreteView& v, const DiscreteChoice& c)
{
    v.neworder = order_text(c.order);
    v.frequency = frequency_text(c, c.order);
}

} // namespace

std::string order_text(const std::vector<int>& codes)
{
    std::string text;
    for (int code : codes) text += "  " + std::string(1, files::codechar(code));
    return text;
}

std::string frequency_text(const DiscreteChoice& c, const std::vector<int>& order)
{
    std::string text;
    for (int code : order) {
        long long f = 0;
        for (std::size_t j = 0; j < c.first.size() && j < c.freq.size(); ++j)
            if (c.first[j] == code) f = c.freq[j];
        text += io::fmt_i(f, 6);
    }
    return ui::squeeze(text);
}

bool read_order(std::string_view text, std::size_t n, std::vector<int>& codes)
{
    std::vector<int> read;
    std::size_t i = 0;
    while (read.size() < n && i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ',')) ++i;
        if (i >= text.size()) break;
        read.push_back(files::charcode(text[i]));
        while (i < text.size() && text[i] != ' ' && text[i] != ',') ++i;
    }
    if (read.size() < n) return false;
    codes = read;
    return true;
}

bool is_permutation_of(const std::vector<int>& codes, const std::vector<int>& categories)
{
    return codes.size() == categories.size() && std::is_permutation(codes.begin(), codes.end(), categories.begin());
}

bool discrete(DiscreteChoice& c, YDialogs& dialogs, Services& sv, io::LogWriter& log, std::string& msgline)
{
    DiscreteView v;
    v.variable = io::fmt_a("Variable: " + c.name, 20);
    v.ordinal = c.ordinal;
    v.nominal = c.nominal;
    v.nofrag = !c.ordinal && !c.nominal;
    v.descending = c.descending;
    v.order = order_text(c.first);
    show_order(v, c);
    for (;;) {
        const int id = dialogs.discrete(v);
        if (id == kDialogMissing) {
            log.write(" Error: dialog box discrete  not found");
            return false;
        }
        if (id == kCancel) return false;
        if (v.nofrag) v.descending = false;
        c.ordinal = v.ordinal && !v.nofrag;
        c.nominal = v.nominal && !v.nofrag && !c.ordinal;
        c.descending = v.descending;
        if (id == ids::kDiscreteHelp) {
            msgline = kHelpTopic;
            sv.helpshow(kHelpTopic);
            continue;
        }
        if (id == ids::kReorder) {
            std::vector<int> codes;
            if (!read_order(v.neworder, c.order.size(), codes)) {
                log.write(" Cannot read newovalues");
                break;
            }
            if (!is_permutation_of(codes, c.first)) {
                std::string text = "New order must list each category code once. Order kept$";
                sv.msgbox(text, BoxKind::Ok, false);
                show_order(v, c);
                continue;
            }
            c.order = codes;
            v.order = order_text(c.order);
            show_order(v, c);
            continue;
        }
        if (id == ids::kReverse) {
            std::reverse(c.order.begin(), c.order.end());
            v.order = order_text(c.order);
            show_order(v, c);
            continue;
        }
        break;
    }
    if (!c.ordinal && !c.nominal) {
        log.write(" Treated as numeric");
        return true;
    }
    log.write(c.nominal ? " Doing nominal analysis" : " Doing ordinal analysis");
    log.write(c.descending ? " Descending analysis" : " Ascending analysis");
    return true;
}

} // namespace meru::outcome
