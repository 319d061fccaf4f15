#include "search/attribute_set.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/strings.h"

#include <algorithm>
#include <charconv>

namespace meru::search {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

// The attribute in use on line k (its chosen cut, set to 1 when none was chosen).
int chosen_attribute(files::ControlTables& t, int k)
{
    files::AttrLine& line = t.line[at(k)];
    if (line.inuse < 1) line.inuse = 1;
    return line.first_attribute() - 1 + line.inuse;
}

bool paired(const files::ControlTables& t, int a, int b)
{
    return a != b && (t.att[at(a)].dupmark == b || t.att[at(b)].dupmark == a);
}

// Packs the members' texts blank-separated into lines marked "2", each at most
// 79 columns.
void write_members(const std::vector<std::string>& texts, Notices& told, io::LogWriter& log)
{
    std::string line = "2";
    for (const std::string& text : texts) {
        if (line.size() > 1 && line.size() + 1 + text.size() > 79) {
            told.line(log, line);
            line = "2";
        }
        line += " " + text;
    }
    told.line(log, line);
}

// Why Top m was cut to `m`: the ranked lines the search may not use, by reason.
std::string truncated_text(int m, int banned, int ignored, int other)
{
    std::string text =
        "Top m too large. Truncated to" + io::fmt_i(m, 3) + ", the number of ranked attributes the search may use";
    std::string why;
    const auto add = [&why](int n, std::string_view what) {
        if (n > 0) why += (why.empty() ? "" : ", ") + io::list_int(n) + " " + std::string(what);
    };
    add(banned, "banned");
    add(ignored, "ignored in Fix Positive");
    add(other, "left out");
    if (!why.empty()) text += " (" + why + ")";
    return text + "$";
}

} // namespace

bool read_rank_range(std::string_view range, int ranked, int& r1, int& m)
{
    std::string text(range);
    if (io::trim(text) == "all") {
        r1 = 1;
        m = ranked;
        return true;
    }
    std::replace(text.begin(), text.end(), '-', ' ');
    std::replace(text.begin(), text.end(), ',', ' ');
    int values[2] = {0, 0};
    std::size_t pos = 0;
    for (int& v : values) {
        while (pos < text.size() && text[pos] == ' ') ++pos;
        const std::size_t end = std::min(text.find(' ', pos), text.size());
        if (pos >= end) return false;
        const auto [ptr, ec] = std::from_chars(text.data() + pos, text.data() + end, v);
        if (ec != std::errc() || ptr != text.data() + end) return false;
        pos = end;
    }
    r1 = values[0];
    m = values[1];
    return m >= 1 && r1 >= 1 && m >= r1;
}

std::string attribute_text(const files::ControlTables& t, int a)
{
    const files::Attribute& att = t.att[at(a)];
    std::string name = att.attname;
    name.resize(files::kNameLen, ' ');
    std::string text = io::trim(files::squeeze(name + att.attlab[1]));
    if (text.size() > 28) text.resize(28);
    return text;
}

std::vector<std::string> attrset(files::ControlTables& t, const AttrsetInput& in, AttributeSet& set, int& topm,
                                 Notices& told, io::LogWriter& log)
{
    set.single_cut = true;
    set.lines.clear();
    // Only lines the search may use count as ranks.
    std::vector<int> ranked;
    int banned = 0, ignored = 0, other = 0;
    for (int k : in.ranked) {
        const Exclusion why = line_exclusion(t, k, in.exclusions);
        if (why == Exclusion::None) ranked.push_back(k);
        else ++(why == Exclusion::Banned ? banned : why == Exclusion::Ignored ? ignored : other);
    }
    const int nranked = static_cast<int>(ranked.size());

    int r1 = 1, m = 0;
    if (!read_rank_range(in.range, nranked, r1, m)) return {"Error in specifying top n. Tell Dr Kelbo$"};
    std::vector<std::string> messages;
    if (m > nranked && nranked >= 1 && nranked < topm)
        messages.push_back(truncated_text(nranked, banned, ignored, other));
    m = std::min(m, nranked);
    set.first_rank = r1;
    if (m >= 1) topm = m;

    // The constraint line is passed over but still counts as a rank.
    for (int r = 1; r <= m; ++r) {
        const int k = ranked[at(r - 1)];
        if (in.xspaceon && k == in.xconline) continue;
        if (r >= r1) set.lines.push_back(k);
    }

    std::vector<int> atts;
    for (int k : set.lines) atts.push_back(chosen_attribute(t, k));
    bool duplicated = false;
    for (int a : atts) {
        for (int b : atts) {
            if (!paired(t, a, b)) continue;
            log.write("NOTE:duplicates: " + attribute_text(t, a) + "  " + attribute_text(t, b));
            duplicated = true;
        }
    }
    if (duplicated && !in.later_group) {
        const std::string note = "NOTE:Duplication in attribute set";
        if (!set.dup_note_shown) told.add_help(note);
        set.dup_note_shown = true;
        told.line(log, note);
    }

    if (nranked == 0) {
        messages.push_back("No attributes! $");
    } else if (set.lines.empty()) {
        messages.push_back("Attribute set is empty!  $");
        messages.push_back("Error in specifying top n. Tell Headman Kelb$");
    } else {
        told.line(log, " Current positive attribute set of  m= " +
                           io::fmt_i(static_cast<long long>(set.lines.size()), 2) + " attributes is:");
        std::vector<std::string> texts;
        for (int a : atts) texts.push_back(attribute_text(t, a));
        write_members(texts, told, log);
    }
    for (int k : set.lines)
        if (t.line[at(k)].ncuts > 1) set.single_cut = false;
    return messages;
}

} // namespace meru::search
