#include "search/cut_list.h"

#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/strings.h"

#include <algorithm>
#include <limits>

namespace meru::search {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

std::string padded(std::string text, std::size_t width)
{
    text.resize(width, ' ');
    return text;
}

// Each cut's best G in the ranking (lowest when the cut was not ranked).
std::vector<float> cut_scores(const files::ControlTables& t, const Ranking* ranking)
{
    std::vector<float> g(at(t.natt) + 1, -std::numeric_limits<float>::max());
    if (!ranking) return g;
    for (const RankEntry& e : ranking->table) {
        const int a = std::abs(e.attribute);
        if (a >= 1 && a <= t.natt) g[at(a)] = std::max(g[at(a)], e.g);
    }
    return g;
}

std::string label_text(const files::ControlTables& t, int a)
{
    return io::trim(files::squeeze(t.att[at(a)].attlab[1]));
}

// " name label label .. fixed", broken into further lines past 67 characters.
void write_listing(const files::ControlTables& t, int k, const std::vector<char>& usable, bool floating,
                   io::LogWriter& log)
{
    const files::AttrLine& line = t.line[at(k)];
    std::string text = " " + io::trim(files::squeeze(line.name));
    for (int a = line.first_attribute(); a <= line.attoff; ++a) {
        if (!usable[at(a)]) continue;
        const std::string label = label_text(t, a);
        if (text.size() + 1 + label.size() > 67) {
            log.write(text);
            text = "  ";
        }
        text += " " + label;
    }
    log.write(text + (floating ? " floating" : " fixed"));
}

} // namespace

bool cutlist(files::ControlTables& t, const CutlistInput& in, CutList& out, std::string& msgline, io::LogWriter& log)
{
    const bool ranked = in.ranking && in.ranking->ranked;
    if (!ranked && !in.single_cuts) {
        msgline = "No search yet done to establish cuts $";
        return false;
    }
    out.usable.assign(at(t.natt) + 1, 0);
    out.levels.assign(at(t.nlines) + 1, 0);
    out.descriptions.clear();
    if (in.single_cuts) {
        for (int k : in.lines) {
            if (line_exclusion(t, k, in.exclusions) != Exclusion::None) continue;
            files::AttrLine& line = t.line[at(k)];
            line.firstattr = false;
            out.levels[at(k)] = 1;
            out.usable[at(line.first_attribute())] = 1;
        }
        return true;
    }
    const std::vector<float> g = cut_scores(t, in.ranking);
    const int levels = std::clamp(in.levels, 1, 3);
    std::vector<int> listed;
    for (int k : in.lines) {
        if (line_exclusion(t, k, in.exclusions) != Exclusion::None) continue;
        listed.push_back(k);
        files::AttrLine& line = t.line[at(k)];
        std::vector<int> cuts;
        for (int a = line.first_attribute(); a <= line.attoff; ++a) cuts.push_back(a);
        std::stable_sort(cuts.begin(), cuts.end(), [&](int a, int b) { return g[at(a)] > g[at(b)]; });
        const int level = std::min(line.ncuts, levels);
        for (int j = 0; j < level; ++j) out.usable[at(cuts[at(j)])] = 1;
        out.levels[at(k)] = level;
        line.inuse = cuts.front() - line.first_attribute() + 1;
        line.firstattr = level >= 2;
        std::string text;
        if (!line.firstattr) text = t.att[at(cuts.front())].attlab[1].substr(2);
        else if (!ranked) text = "Float first " + io::fmt_i(level, 3) + " cuts";
        else text = "Float" + io::fmt_i(level, 3) + " best cuts";
        out.descriptions.push_back(" " + padded(line.name, files::kNameLen) + "  " + padded(text, 30));
    }
    log.write("Cuts are:");
    for (int k : listed)
        if (t.line[at(k)].ncuts > 1) write_listing(t, k, out.usable, t.line[at(k)].firstattr, log);
    return true;
}

} // namespace meru::search
