#include "search/combination_check.h"

#include "files/textutil.h"
#include "partition/labels.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <vector>

namespace meru::search {

namespace {

// A record's name: the text before its first "(", blanks trimmed.
std::string record_name(const std::string& record) { return files::trim(record.substr(0, record.find('('))); }

// The name an added attribute made from the record takes: its first 8 columns
// before the "(".
std::string name8(const std::string& record)
{
    return record.substr(0, std::min<std::size_t>(record.find('('), files::kNameLen));
}

// The attribute numbers of a record's partition text, each once, in the order
// first met.
std::vector<int> attribute_numbers(const std::string& record)
{
    std::vector<int> out;
    const std::size_t open = record.find('(');
    if (open == std::string::npos) return out;
    const char* p = record.data() + open;
    const char* end = record.data() + record.size();
    while (p < end) {
        if (*p < '0' || *p > '9') {
            ++p;
            continue;
        }
        int a = 0;
        p = std::from_chars(p, end, a).ptr;
        if (std::find(out.begin(), out.end(), a) == out.end()) out.push_back(a);
    }
    return out;
}

// The number = meaning pairs of a check line for the combination named `name`;
// none when the line is not that combination's check line.
std::map<int, std::string> check_pairs(const std::string& line, const std::string& name)
{
    std::map<int, std::string> pairs;
    if (!line.starts_with('*') || files::trim(line.substr(1, files::kNameLen)) != name) return pairs;
    // The pairs are parted by blanks alone: a meaning holds none, but may hold a
    // tab or any other character of its variable's name.
    const std::string rest = line.substr(std::min(line.size(), std::size_t{1} + files::kNameLen));
    for (std::size_t from = 0, to = 0; from < rest.size(); from = to + 1) {
        to = std::min(rest.find(' ', from), rest.size());
        const std::string item = rest.substr(from, to - from);
        const std::size_t eq = item.find('=');
        int a = 0;
        if (eq != std::string::npos && std::from_chars(item.data(), item.data() + eq, a).ptr == item.data() + eq)
            pairs.emplace(a, item.substr(eq + 1));
    }
    return pairs;
}

// What the added attribute made from the combination record is, as
// attribute_meaning gives it once made: the name (8 characters at most) and the
// label "=1" of its value 1.
std::string made_meaning(const std::string& record)
{
    return files::noblanks(files::squeeze(name8(record) + "=1"));
}

// The first number of `record` that its check line lists with another meaning
// than `meaning` gives it now, told as "attribute N was X when written, is Y
// now"; empty when there is none.
template <class Meaning>
std::string first_change(const std::string& record, const std::string& check, const Meaning& meaning)
{
    const std::map<int, std::string> written = check_pairs(check, record_name(record));
    for (const int a : attribute_numbers(record)) {
        const auto w = written.find(a);
        if (w == written.end()) continue;
        const std::string now = meaning(a);
        if (now == w->second) continue;
        return "attribute " + std::to_string(a) + " was " + w->second + " when written, " +
               (now.empty() ? "names no attribute now" : "is " + now + " now");
    }
    return {};
}

} // namespace

std::string attribute_meaning(int a, const files::ControlTables& t)
{
    if (a < 1 || a > t.natt || static_cast<std::size_t>(a) >= t.att.size()) return {};
    const files::Attribute& at = t.att[static_cast<std::size_t>(a)];
    const auto col = static_cast<std::size_t>(partition::litval(a, 1, t) - 1);
    const std::string& label = files::trim(at.savedlab[col]).empty() ? at.attlab[col] : at.savedlab[col];
    return files::noblanks(files::squeeze(at.attname + label));
}

std::string combination_check_line(const std::string& record, const files::ControlTables& t)
{
    std::string line = "*" + name8(record);
    line.resize(1 + files::kNameLen, ' ');
    bool first = true;
    for (const int a : attribute_numbers(record)) {
        line += (first ? "" : " ") + std::to_string(a) + "=" + attribute_meaning(a, t);
        first = false;
    }
    return line;
}

int check_combinations(files::ControlTables& t, Notices& told, io::LogWriter& log)
{
    std::vector<std::string> kept, kept_checks;
    // A combination may name the added attributes that the combinations before
    // it make: each kept one, made in its turn, takes the next number after the
    // control file's attributes. So a number beyond them is checked against the
    // combination that will have made it.
    std::vector<std::string> made;
    const auto meaning_then = [&t, &made](int a) {
        if (a <= t.natt) return attribute_meaning(a, t);
        const auto m = static_cast<std::size_t>(a - t.natt);
        return m <= made.size() ? made[m - 1] : std::string();
    };
    int left_out = 0;
    for (std::size_t k = 0; k < t.cfcomb.size(); ++k) {
        const std::string& record = t.cfcomb[k];
        const std::string& check = k < t.cfcheck.size() ? t.cfcheck[k] : std::string();
        const std::string changed = first_change(record, check, meaning_then);
        if (changed.empty()) {
            kept.push_back(record);
            kept_checks.push_back(check);
            made.push_back(made_meaning(record));
            continue;
        }
        ++left_out;
        told.line(log, "NOTE: combination " + record_name(record) + " left out: " + changed);
    }
    t.cfcomb = std::move(kept);
    t.cfcheck = std::move(kept_checks);
    t.ncombfound -= left_out;
    if (left_out > 0)
        told.add_note("NOTE: " + std::to_string(left_out) +
                          " control file combination(s) left out: their attribute numbers name other "
                          "attributes now. View log $",
                      NoteKind::Full, false);
    return left_out;
}

std::string combination_not_made(const std::string& record, const std::string& check, const files::ControlTables& t)
{
    const std::string change = first_change(record, check, [&t](int a) { return attribute_meaning(a, t); });
    return change.empty() ? change : "NOTE: combination " + record_name(record) + " not made: " + change;
}

} // namespace meru::search
