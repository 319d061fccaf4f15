// The variable list of a control file (or of the data file's first record):
// splitting, special names, numbers and blanks, and the duplicate fix-up.
#include "files/controlfile_reader.h"
#include "files/makecf.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/records.h"

#include <algorithm>

namespace meru::files {

void CfReader::write(std::string_view line) { notes.line(line); }

int CfReader::find_variable(const std::string& name) const
{
    auto it = varindex.find(name);
    return it == varindex.end() ? 0 : it->second;
}

int CfReader::resolve_name(const std::string& written) const
{
    if (written.size() <= static_cast<size_t>(kNameLen)) return find_variable(written);
    if (auto it = longindex.find(written); it != longindex.end()) return it->second;
    const int var = find_variable(written.substr(0, kNameLen));
    if (var > 0 && static_cast<size_t>(var) < name_was_cut.size() && name_was_cut[static_cast<size_t>(var)]) return 0;
    return var;
}

int CfReader::add_variable(const std::string& name)
{
    VariableTable& v = t.vars;
    if (v.nvar + 1 >= static_cast<int>(v.varname.size())) {
        write("ERROR too many variables for " + name);
        error();
        return 0;
    }
    ++v.nvar;
    v.varname[static_cast<size_t>(v.nvar)] = name;
    varindex.emplace(name, v.nvar);
    return v.nvar;
}

namespace {

// The duplicate fix-up: the m-th repeat of a name keeps its first 8 - digits - pass
// characters (blanks made "_") and gets m appended. Up to five passes.
bool fix_duplicates(std::vector<std::string>& names, int n, CfReader& r)
{
    bool any = false;
    for (int pass = 0; pass < 5; ++pass) {
        bool renamed = false;
        std::unordered_map<std::string, int> seen;
        for (int i = 1; i <= n; ++i) {
            std::string& name = names[static_cast<size_t>(i)];
            int m = ++seen[name];
            if (m < 2) continue;
            const std::string digits = std::to_string(m);
            const int keep = std::max(0, kNameLen - static_cast<int>(digits.size()) - pass);
            std::string stem = pad(name, kNameLen).substr(0, static_cast<size_t>(keep));
            for (char& c : stem)
                if (c == ' ') c = '_';
            const std::string fixed = stem + digits;
            r.write("ERROR: duplicate var name: " + pad(name, kNameLen) + "  Fix up with " + fixed);
            name = fixed;
            ++seen[name];
            renamed = true;
            any = true;
        }
        if (!renamed) break;
    }
    return any;
}

} // namespace

bool CfReader::read_variables()
{
    VariableTable& v = t.vars;
    const std::string& path = t.format.datapath;
    // The lines joined, a blank standing for each line end: the text up to the
    // last line end may take kListLen characters; a longer list is refused whole.
    std::string list;
    bool toolong = false;
    bool any_line = false;
    auto store = [&](std::string_view text) {
        if (toolong || list.size() + text.size() > static_cast<size_t>(kListLen)) {
            toolong = true;
            return;
        }
        list += text;
        list += ' ';
    };
    for (;;) {
        if (at_eof()) return false;
        const std::string& rec = cf[pos++];
        if (rec.find('*') != std::string::npos) break;
        store(rec);
        any_line = true;
    }

    if (!any_line) { // the names come from the data file's first record
        v.names_from_data = true;
        write(" Reading variable names from data file: " + path);
        io::RecordReader data;
        std::string first;
        if (data.open(path) != 0) {
            notes.ok("ERROR opening data file" + path.substr(0, 30) + " for var names$");
            error();
            return false;
        }
        // No more of the record than the list can hold is read.
        bool whole = false;
        data.read_piece(first, static_cast<size_t>(kListLen) + 1, whole);
        store(first);
        if (delim != ' ' && first.find(delim) == std::string::npos) {
            notes.box(delim == ',' ? "NOTE: csv file expected, but no comma in var list. May fail$"
                                   : "NOTE: tab file expected, but no tabs in var list. May fail$");
        }
    }

    if (toolong) {
        notes.help("ERROR: too many characters");
        error();
        return false;
    }
    if (delim != ' ') list = noblanks(list);
    else // blank-delimited data items are separated by tabs too
        std::replace(list.begin(), list.end(), '\t', ' ');
    const int nv = t.dims.nv;
    SplitNames split = splitnames(list, delim, kNameLen, nv, &notes);
    // The same list uncut, to tell names that share their first 8 characters.
    std::vector<std::string> whole = splitnames(list, delim, kListLen, nv, nullptr).fields;
    whole.resize(split.fields.size());
    delim = ' ';
    if (split.count > nv) {
        notes.box("ERROR: too many variables,$");
        write(io::list_record("too many variables =", split.count, ">", nv));
        error();
        return false;
    }

    // Special names, numbers and blanks.
    std::vector<std::string>& names = v.varname;
    const int n = static_cast<int>(split.fields.size());
    names_read = n;
    v.idcol = v.freqcol = n + 10;
    bool anynumber = false;
    for (int i = 1; i <= n; ++i) {
        std::string name = split.fields[static_cast<size_t>(i - 1)];
        const std::string up = upper(name);
        if (up == "_FREQ_") {
            v.freqcol = i;
            v.hasfreq = true;
        } else if (up == "_ID_") {
            v.idcol = i;
            v.hasid = true;
        }
        if (trim(name).empty()) {
            write("NOTE: " + pad(name, kNameLen) + " is blank, made into _?");
            name = "_";
        } else if (v.names_from_data && safe_cf_name(name) != name) {
            // A "*" or "!" would end or continue an attribute line written for it.
            const std::string fixed = safe_cf_name(name);
            write("NOTE: " + name + " made into " + fixed);
            name = fixed;
        } else if (numtoken(name)) {
            write("NOTE: " + name + " is a number, not a variable name?");
            anynumber = true;
        }
        names[static_cast<size_t>(i)] = name;
    }
    if (anynumber) notes.help("NOTE: variable name is a number");

    // _ID_ and _FREQ_ leave the list, the higher position first.
    int count = n;
    whole.insert(whole.begin(), std::string()); // numbered from 1 as the names
    auto remove_at = [&](int col) {
        names.erase(names.begin() + col);
        names.emplace_back();
        if (static_cast<size_t>(col) < whole.size()) whole.erase(whole.begin() + col);
        --count;
    };
    const int hi = std::max(v.hasid ? v.idcol : 0, v.hasfreq ? v.freqcol : 0);
    const int lo = std::min(v.hasid ? v.idcol : n + 10, v.hasfreq ? v.freqcol : n + 10);
    if (hi >= 1) remove_at(hi);
    if (lo <= n && lo != hi) remove_at(lo);
    if (v.hasid) write(" Identifier variable (_id_) is defined");
    if (v.hasfreq) write(" Frequency variable (_freq_) is defined");
    v.nvar = count;
    write(io::list_record("There are", count, "input variables: "));
    for (int i = 1; i <= count; i += 10) {
        std::string row;
        for (int k = i; k < i + 10 && k <= count; ++k)
            row += " " + io::fmt_a(names[static_cast<size_t>(k)], kNameLen);
        write(row);
    }
    if (count == 0) {
        error();
        notes.help("ERROR: no variables named");
    }

    if (fix_duplicates(names, count, *this)) notes.help("NOTE: Duplicate var names fix-up re-names done$");
    for (int i = 1; i <= count; ++i) varindex.emplace(names[static_cast<size_t>(i)], i);
    name_was_cut.assign(static_cast<size_t>(count) + 1, false);
    for (int i = 1; i <= count && static_cast<size_t>(i) < whole.size(); ++i) {
        const std::string& w = whole[static_cast<size_t>(i)];
        if (w.size() <= static_cast<size_t>(kNameLen)) continue;
        name_was_cut[static_cast<size_t>(i)] = true;
        longindex.emplace(w, i);
    }
    return true;
}

} // namespace meru::files
