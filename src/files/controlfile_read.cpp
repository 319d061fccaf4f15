// The control-file reader: title, variables, attribute lines, then numbering and
// checks, the format line, the data-file name and the stored combinations.
#include "core/services.h"
#include "files/controlfile_reader.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/iostat.h"
#include "platform/io/listread.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>

namespace meru::files {

namespace {

// Reads the numbers of a cut; a value that is not a finite number ("nan", "inf",
// "1e999") is no cut value, read as a text that is not a number is.
template <std::size_t N> int read_cut_numbers(const std::string& rec, std::array<double, N>& v)
{
    const int st = io::list_read(rec, v);
    if (st == 0 && !std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); }))
        return io::kErrBadInput;
    return st;
}

// Reads the cut value(s) of an interval attribute from its scratch text.
// Returns 0, or the read status when the text is not a number.
int read_cut_values(Attribute& a, const std::string& rec)
{
    if (a.range) {
        const bool equality = a.attlab[1].rfind("=$", 0) == 0 || a.savedlab[1].rfind("=$", 0) == 0;
        if (equality) {
            std::array<double, 1> v{};
            int st = read_cut_numbers(rec, v);
            if (st != 0) {
                a.cut1 = -1.0;
                return st;
            }
            a.cut2 = v[0];
            a.cut1 = v[0] - 0.01;
        } else {
            std::array<double, 2> v{};
            int st = read_cut_numbers(rec, v);
            if (st != 0) {
                a.cut1 = -1.0;
                return st;
            }
            a.cut1 = v[0];
            a.cut2 = v[1];
        }
        a.ordered = !(a.cut1 > a.cut2);
        return 0;
    }
    std::array<double, 1> v{};
    int st = read_cut_numbers(rec, v);
    a.cut2 = kNoSecondCut;
    a.cut1 = st == 0 ? v[0] : -1.0;
    return st;
}

// The part of a nominal label that names its states: the codes after an "=$" or
// "^=" prefix; a named cut's label ("_name", "^name", a state word) as a whole.
std::string tail(const std::string& label)
{
    if (label.rfind("=$", 0) == 0 || label.rfind("^=", 0) == 0) return label.substr(2);
    return label;
}

} // namespace

void CfReader::number_and_check()
{
    write("Attribute creating lines and assigned attribute #s:");
    size_t rec = 0;
    bool inconsistent = false;
    bool any_opposite = false;
    std::unordered_map<int, std::vector<int>> lines_of_var;
    std::unordered_map<std::string, int> seen; // name + saved label -> attribute
    auto next_record = [&](std::string& out) {
        if (rec >= scratch.records.size()) return false;
        out = scratch.records[rec++];
        return true;
    };

    for (int k = 1; k <= t.nlines; ++k) {
        AttrLine& ln = t.line[static_cast<size_t>(k)];
        const bool nominal = ln.type == 'n';
        // Mixed types and differing universes against earlier lines on the same variable.
        if (ln.var > 0) {
            bool differ = false, mixed = false;
            for (int e : lines_of_var[ln.var]) {
                const AttrLine& other = t.line[static_cast<size_t>(e)];
                const bool onom = other.type == 'n';
                if (nominal && onom &&
                    !(charsin(ln.universe, other.universe) && charsin(other.universe, ln.universe)))
                    differ = true;
                if (nominal != onom) mixed = true;
            }
            if (differ) write("NOTE: differing universes for " + ln.name);
            if (mixed) write("NOTE: mixed types for " + ln.name);
            inconsistent = inconsistent || differ || mixed;
            lines_of_var[ln.var].push_back(k);
        }

        std::string text;
        if (!next_record(text)) {
            write("ERROR: reading string in SCRATCH file:" + text);
            error();
        }
        const int first = ln.first_attribute();
        if (!trim(text).empty()) {
            if (ln.ncuts == 1) write(" # " + io::fmt_i(first, 4) + io::fmt_x(6) + text);
            else write(" # " + io::fmt_i(first, 4) + "-" + io::fmt_i(ln.attoff, 4) + " " + text);
        }

        // Cut values of interval and ordinal lines.
        if (!nominal) {
            for (int a = first; a <= ln.attoff; ++a) {
                Attribute& at = t.att[static_cast<size_t>(a)];
                std::string cuttext;
                next_record(cuttext);
                int st = read_cut_values(at, cuttext);
                if (st != 0 && !ln.mean) {
                    write("ERROR: reading cuts for " + ln.name + " MS error " + std::to_string(st));
                    notes.help("ERROR: character cut of interval variable");
                    error();
                }
            }
        }

        // Repeated and opposite cuts within the line.
        for (int a = first; a <= ln.attoff; ++a) {
            for (int b = a + 1; b <= ln.attoff; ++b) {
                const Attribute& x = t.att[static_cast<size_t>(a)];
                const Attribute& y = t.att[static_cast<size_t>(b)];
                bool repeated = false, opposite = false;
                if (!nominal) {
                    if (!x.range && !y.range && x.cut1 == y.cut1) {
                        (x.direction == y.direction ? repeated : opposite) = true;
                    } else if (x.range && y.range && x.cut1 == y.cut2 && x.cut2 == y.cut1) {
                        (x.ordered == y.ordered ? repeated : opposite) = true;
                    }
                } else {
                    if (tail(x.attlab[1]) == tail(y.attlab[1]) || tail(x.attlab[0]) == tail(y.attlab[0]))
                        repeated = true;
                    else if (tail(x.attlab[1]) == tail(y.attlab[0]) || tail(x.attlab[0]) == tail(y.attlab[1]))
                        opposite = true;
                }
                if (opposite) {
                    write("NOTE: opposite attributes");
                    error();
                    any_opposite = true;
                } else if (repeated) {
                    write("NOTE: repeated attributes");
                    notes.help("NOTE: repeated attributes");
                    error();
                }
            }
        }

        // Duplicate or opposite attributes across lines.
        for (int a = first; a <= ln.attoff; ++a) {
            Attribute& at = t.att[static_cast<size_t>(a)];
            at.dupmark = 0;
            const std::string key = pad(at.attname, kNameLen) + at.savedlab[1];
            auto it = seen.find(key);
            if (it != seen.end() && squeeze(key).rfind("_r_", 0) != 0) {
                const Attribute& earlier = t.att[static_cast<size_t>(it->second)];
                write("NOTE: duplicate or opposite attributes: " +
                      rtrim(squeeze(pad(earlier.attname, kNameLen) + earlier.attlab[1])) + "  " +
                      rtrim(squeeze(key)));
                at.dupmark = it->second;
                note_dup_or_opposite = true;
            }
            seen.emplace(pad(at.attname, kNameLen) + at.savedlab[0], a);
            seen.emplace(key, a);
        }
    }
    if (inconsistent) notes.help("NOTE: inconsistent universe");
    if (any_opposite) note_dup_or_opposite = true;
    t.natt = t.nlines > 0 ? t.line[static_cast<size_t>(t.nlines)].attoff : 0;
    // The null attribute keeps its operator labels.
    if (t.natt >= 1) t.att[1].attlab = t.att[1].savedlab;
}

int readcf(const std::vector<std::string>& cf, ControlTables& t, const ScanFlags& scanflags, std::string& msgline,
           Scratch& scratch, CfNotes& notes, Services& sv)
{
    CfReader r{cf, t, scratch, notes, 0, 0, ' ', 0, {}, {}, {}};
    DataFormat& f = t.format;
    r.delim = ' ';
    if (scanflags.comma || f.comma) r.delim = ',';
    if (scanflags.tab || f.tab) r.delim = '\t';
    msgline = "Reading control file";
    sv.thinking(msgline, true);
    t.vars.ivar = t.vars.rvar = 0;
    scratch.records.clear();

    auto end_of_file = [&]() {
        notes.help("ERROR: end of .mrc file");
        r.error();
        return r.errors;
    };

    // Title, then blank lines are skipped.
    if (r.at_eof()) return end_of_file();
    t.title = rtrim(col80(cf[r.pos++]));
    r.write(t.title);
    while (!r.at_eof() && trim(cf[r.pos]).empty()) ++r.pos;

    if (!r.read_variables()) return r.at_eof() ? end_of_file() : r.errors;
    if (!r.read_attribute_lines()) return end_of_file();

    if (t.nlines < 2) {
        notes.help("NOTE: .MRC file has no attributes");
        r.error();
    }
    if (r.note_nocuts) notes.help("NOTE: No specified cuts");
    if (r.note_sign) notes.help("NOTE: unnecessary + - or ?");
    if (r.note_badstates) notes.help("NOTE: bad states");
    if (r.note_nouniverse) notes.help("NOTE: no universe");

    r.number_and_check();

    // Format line.
    if (r.at_eof()) return end_of_file();
    JoinedLine fmt = join_continued(cf, r.pos);
    r.pos += static_cast<size_t>(std::max(1, fmt.nphys));
    if (fmt.too_many) {
        notes.help("ERROR: too many continue lines");
        r.error();
    }
    if (fmt.eof) return end_of_file();
    msgline = fmt.text.substr(0, kLineLen);
    const std::string& ft = fmt.text;
    if (ft.find("free") != std::string::npos) {
        f.freefmt = true;
        f.comma = f.tab = f.space = false;
        if (ft.find("space") != std::string::npos) {
            f.space = true;
            r.write(io::list_record("Space delimited free format"));
        } else if (ft.find("comma") != std::string::npos) {
            f.comma = true;
            r.write(io::list_record("Comma delimited free format"));
        } else if (ft.find("tab") != std::string::npos) {
            f.tab = true;
            r.write(io::list_record("Tab delimited free format"));
        } else {
            f.space = true;
            notes.help("NOTE: free format specifier");
        }
    } else {
        f.freefmt = false;
        f.comma = f.tab = f.space = false;
        if (t.vars.hasid && t.vars.idcol != 1) {
            notes.box("NOTE:_ID_ variable must be first column in fixed format$");
        }
        if (t.vars.hasfreq && t.vars.freqcol != r.names_read) {
            notes.box("NOTE:_FREQ_ variable must be last column in fixed format$");
        }
    }
    f.fmttext = rtrim(ft);
    r.write(" Data format: " + f.fmttext);

    // Data-file name (checked by the pre-scan).
    if (r.at_eof()) return end_of_file();
    f.cfdataname = trim(col80(cf[r.pos++]));
    if (r.note_dup_or_opposite) notes.help("NOTE: duplicate or opposite attributes");

    // Stored combinations.
    t.cfcomb.clear();
    t.cfcheck.clear();
    t.ncombfound = 0;
    for (; !r.at_eof(); ++r.pos) {
        const std::string line = cf[r.pos].substr(0, kComboLen);
        if (line.empty() || line[0] != '+') continue;
        // A line that runs past its 200 columns would be kept cut, and read as
        // another combination: it is left out.
        if (rtrim(cf[r.pos]).size() > static_cast<std::size_t>(kComboLen)) {
            r.write("NOTE: combination longer than 200 characters ignored: " + rtrim(line.substr(0, 40)) + " ...");
            r.error();
            continue;
        }
        ++t.ncombfound;
        if (static_cast<int>(t.cfcomb.size()) < kMaxCombos) {
            t.cfcomb.push_back(rtrim(line));
            const bool checked = r.pos + 1 < cf.size() && cf[r.pos + 1].starts_with('*');
            t.cfcheck.push_back(checked ? rtrim(cf[r.pos + 1]) : std::string());
        }
    }
    if (!t.cfcomb.empty()) {
        r.write(" Control file Boolean combinations found:");
        for (const std::string& c : t.cfcomb) r.write(c);
    }
    if (t.ncombfound > static_cast<int>(t.cfcomb.size()))
        r.write(io::list_record("Note: only ", static_cast<int>(t.cfcomb.size()), "of the", t.ncombfound,
                                "specified are retained"));
    return r.errors;
}

} // namespace meru::files
