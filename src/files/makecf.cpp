#include "files/makecf.h"

#include "files/charcodes.h"
#include "files/readdata.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/safe_files.h"

#include <cmath>

namespace meru::files {

namespace {

std::string format_line(const DefaultCfFiles& f)
{
    if (f.tab) return "free tab";
    if (f.comma) return "free comma";
    return "free space";
}

// The data-file name line: the path list-directed (one leading blank). A path too
// long for the 80 columns that the reader takes is written as its file name only.
std::string data_line(const std::string& path)
{
    if (path.size() + 1 <= static_cast<std::size_t>(kLineLen)) return " " + path;
    const auto slash = path.find_last_of("/\\");
    return " " + (slash == std::string::npos ? path : path.substr(slash + 1));
}

// Writes the control file whole under a temporary name and renames it over the
// old one, so a failure never leaves the user's control file cut or empty. The
// system's reason on failure, with the path, goes to the message.
bool write_file(const std::string& path, std::vector<std::string> lines, const char* where, CfNotes& notes)
{
    for (auto& l : lines) l = rtrim(l);
    const std::string why = io::write_replacing(path, lines);
    if (why.empty()) return true;
    notes.ok(std::string("Cannot create control file ") + where + " " + path + " (" + why + ") $");
    return false;
}

std::string mean_text(double mean)
{
    if (!std::isfinite(mean)) return " 0";
    const std::string s = " " + io::list_real(static_cast<float>(mean));
    if (s.find("NaN") != std::string::npos || s.find("nan") != std::string::npos || s.size() > 20) return " 0";
    return s;
}

} // namespace

std::string safe_cf_name(std::string_view name)
{
    std::string s(name);
    for (char& c : s)
        if (c == '*' || c == '!' || c == '"') c = '_';
    return s;
}

bool makecf(const DefaultCfFiles& f, bool quiet, CfNotes& notes)
{
    if (const std::string why = io::can_write(f.cfpath); !why.empty()) {
        notes.ok("Cannot create control file in makecf " + f.cfpath + " (" + why + ") $");
        return false;
    }
    if (!quiet) notes.info("No associated .mrc file for data " + io::fmt_a(f.dataname, 20) + " Will make default $");
    const std::vector<std::string> lines{
        io::fmt_a("MERU generated .mrc file from data file " + f.dataname, kLineLen),
        "*",
        "_all_ mean",
        "*",
        format_line(f),
        data_line(f.datapath),
    };
    return write_file(f.cfpath, lines, "in makecf", notes);
}

RemadeCf re_makecf(const DefaultCfFiles& f, const std::vector<DefaultCfVariable>& vars, bool remake, CfNotes& notes)
{
    RemadeCf out;
    std::vector<std::string> lines{io::fmt_a("MERU re-generated .mrc file from data file " + f.dataname, kLineLen),
                                   "*"};
    for (const auto& v : vars) {
        const std::string name = io::fmt_a(safe_cf_name(v.name), kNameLen);
        std::string codes;
        int top = -1;
        for (int c = 0; c < 36; ++c) {
            if (v.counts[static_cast<std::size_t>(c)] <= 0) continue;
            if (!v.char_codes && c > 9) continue;
            codes += codechar(c);
            if (v.char_codes) {
                if (top < 0 || v.counts[static_cast<std::size_t>(c)] > v.counts[static_cast<std::size_t>(top)])
                    top = c;
            } else {
                top = c;
            }
        }
        const bool nominal = (v.char_codes || v.small_codes) && !codes.empty();
        out.nominal_seen = out.nominal_seen || nominal;
        if (remake && nominal) lines.push_back(name + "  n" + codes + " " + std::string(1, codechar(top)));
        else lines.push_back(name + io::fmt_a(mean_text(v.mean), 20));
    }
    lines.push_back("*");
    lines.push_back(format_line(f));
    lines.push_back(data_line(f.datapath));
    out.written = write_file(f.cfpath, lines, "re_makecf", notes);
    if (!out.written) return out;
    const std::string note = remake ? "NOTE: Default .mrc file re-created" : "NOTE: Default .mrc file is created";
    // The re-made file is only logged: the user asked for it a moment ago.
    if (!remake) notes.help(note);
    notes.line(io::fmt_a(note + ":   " + f.cfpath, kLineLen));
    return out;
}

std::vector<DefaultCfVariable> default_cf_variables(const ControlTables& t, const ReadDataResult& r)
{
    const int ndata = data_variable_count(t.vars);
    std::vector<DefaultCfVariable> out;
    for (int j = 1; j <= ndata; ++j) {
        DefaultCfVariable v;
        v.name = t.vars.varname[static_cast<std::size_t>(j)];
        if (static_cast<std::size_t>(j) < r.marks.charflag.size()) {
            v.char_codes = r.marks.charflag[static_cast<std::size_t>(j)] != 0;
            v.small_codes = r.marks.smallint[static_cast<std::size_t>(j)] != 0;
        }
        for (int k = 2; k <= t.nlines; ++k) {
            if (t.line[static_cast<std::size_t>(k)].var != j) continue;
            if (static_cast<std::size_t>(k) >= r.line.size()) break;
            const LineStats& s = r.line[static_cast<std::size_t>(k)];
            const AttrLine& line = t.line[static_cast<std::size_t>(k)];
            v.mean = s.count > 0 ? s.sum / static_cast<double>(s.count) : 0.0;
            // A cut at the mean is written as the reading placed it, so that the
            // file splits the values as the mean does.
            if (line.mean && line.ncuts >= 1 && line.type != 'n')
                v.mean = t.att[static_cast<std::size_t>(line.first_attribute())].cut1;
            v.counts = s.freq;
            break;
        }
        out.push_back(v);
    }
    return out;
}

} // namespace meru::files
