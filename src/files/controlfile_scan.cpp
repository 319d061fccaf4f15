// Pre-scan of a control file: the bounds from which the tables are sized.
#include "files/controlfile.h"
#include "files/cutgrammar.h"
#include "files/textutil.h"
#include "platform/io/os.h"
#include "platform/io/records.h"
#include "platform/io/safe_files.h"

#include <algorithm>
#include <filesystem>

namespace meru::files {

namespace {

bool contains(std::string_view s, std::string_view what) { return s.find(what) != std::string_view::npos; }

// Upper bound on the names a variable list gives: every name end, every empty
// field between two commas, and every numbered range expanded; the reader's own
// splitting under each possible delimiter is counted too.
int count_names(std::string_view list, bool skip_blanks)
{
    int ends = 0;
    char prev = ',';
    for (char c : list) {
        if (skip_blanks && c == ' ') continue;
        bool sep = c == ' ' || c == ',' || c == '\t';
        if (sep && !(prev == ' ' || prev == ',' || prev == '\t')) ++ends;
        else if (c == ',' && prev == ',') ++ends;
        prev = c;
    }
    if (!(prev == ' ' || prev == ',' || prev == '\t')) ++ends;
    int most = ends;
    const std::string deblanked = noblanks(list);
    most = std::max(most, splitnames(list, ' ', kNameLen, 0, nullptr).count);
    // In the blank-delimited layout the reader takes tabs as blanks too.
    std::string tabs_as_blanks(list);
    std::replace(tabs_as_blanks.begin(), tabs_as_blanks.end(), '\t', ' ');
    most = std::max(most, splitnames(tabs_as_blanks, ' ', kNameLen, 0, nullptr).count);
    most = std::max(most, splitnames(deblanked, ',', kNameLen, 0, nullptr).count);
    most = std::max(most, splitnames(deblanked, '\t', kNameLen, 0, nullptr).count);
    return most;
}

std::string upper_extension(const std::string& path)
{
    size_t slash = path.find_last_of("/\\:");
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    return upper(path.substr(dot, 4));
}

// Counts are capped here, far above any size the main routine accepts.
constexpr long long kCountCap = 1'000'000'000;

struct LineSize {
    int size = 1;     // cuts + 1
    int covers = 1;   // variables of a numbered range
    bool all = false; // an "_all_" line (covers at least the variable estimate)
};

} // namespace

ScanCounts scancf(const std::vector<std::string>& cf, std::string& datapath, ScanFlags& flags, bool takename,
                  NoValidData& nvd, CfNotes& notes)
{
    ScanCounts counts;
    nvd.nodatafile = false;
    bool beyond80 = false;
    size_t pos = 0;

    std::vector<LineSize> lines;
    int names = 0;
    // The counts from the lines met so far, given the variable estimate.
    auto make_counts = [&]() {
        const int estimate = names + 10;
        long long nlines = 1;
        long long atts = 1;
        counts = ScanCounts{};
        for (const LineSize& ls : lines) {
            const long long covers = ls.all ? std::max(estimate, ls.covers) : ls.covers;
            counts.cutbound = std::max(counts.cutbound, ls.size);
            atts = std::min(atts + ls.size * covers, kCountCap);
            nlines = std::min(nlines + covers, kCountCap);
        }
        counts.varbound = static_cast<int>(std::max<long long>(nlines + 1, estimate));
        counts.attbound = static_cast<int>(atts);
    };
    auto fail_eof = [&]() {
        make_counts();
        nvd.nodatafile = true;
        nvd.nodata = true;
        notes.help("NOTE: novaliddata ");
        return counts;
    };

    // Title.
    if (pos >= cf.size()) return fail_eof();
    bool b80 = false;
    col80(cf[pos++], &b80);
    beyond80 = beyond80 || b80;

    // Variable list, up to the first record holding "*": its lines joined, a
    // blank standing for each line end, take at most kListLen characters up to
    // the last line end. A longer list is refused, not cut.
    std::string list;
    for (;;) {
        if (pos >= cf.size()) return fail_eof();
        const std::string& rec = cf[pos++];
        if (contains(rec, "*")) break;
        if (list.size() + rec.size() > static_cast<size_t>(kListLen)) {
            notes.help("NOTE: too long variable list in control file");
            notes.ok("Variable names not read: the control file's variable list is longer than " +
                     std::to_string(kListLen) + " characters $");
            nvd.names_refused = true;
            make_counts();
            return counts;
        }
        list += rec;
        list += ' ';
    }
    names = count_names(list, false);
    const bool from_data = names == 0;

    // Attribute lines, up to the next line holding "*".
    for (;;) {
        if (pos >= cf.size()) return fail_eof();
        if (contains(col80(cf[pos]), "*")) {
            ++pos;
            break;
        }
        JoinedLine j = join_continued(cf, pos);
        pos += static_cast<size_t>(std::max(1, j.nphys));
        beyond80 = beyond80 || j.beyond80;
        auto norm = normalise_line(j.text, true, &notes);
        if (!norm) continue;
        LineSize ls;
        ls.size = norm->cv_error || norm->sequence_refused ? 1 : std::max(1, norm->ncuts() + 1);
        const std::string first = norm->tokens[0];
        if (auto r = range_token(first); r && r->n > 0) ls.covers = r->n;
        if (contains(upper(first), "_ALL_")) ls.all = true;
        lines.push_back(ls);
        if (j.eof) return fail_eof();
    }

    // Format line with its continuations.
    if (pos >= cf.size()) return fail_eof();
    JoinedLine fmt = join_continued(cf, pos);
    pos += static_cast<size_t>(std::max(1, fmt.nphys));
    beyond80 = beyond80 || fmt.beyond80;
    if (fmt.eof) return fail_eof();
    if (contains(fmt.text, "free")) {
        flags.comma = flags.comma || contains(fmt.text, "comma");
        flags.tab = flags.tab || contains(fmt.text, "tab");
        flags.space = flags.space || contains(fmt.text, "space");
    }

    // Data-file name.
    if (pos >= cf.size()) return fail_eof();
    std::string name = trim(col80(cf[pos++]));
    if (takename) datapath = name;

    // A data file that is a device or binary is never read (not even its names);
    // nor is a link that loops, which is not a missing file.
    if (!trim(datapath).empty() && io::may_exist(datapath)) {
        nvd.not_text = io::not_text_reason(datapath);
        if (!nvd.not_text.empty()) {
            nvd.nodatafile = nvd.nodata = true;
            return counts;
        }
    }

    // Names from the data file's first record. Only as much of it is read as the
    // names may take: a longer record is refused as soon as the limit is passed.
    if (from_data) {
        io::RecordReader data;
        std::string first;
        bool whole = false;
        if (!trim(datapath).empty() && data.open(datapath) == 0 &&
            data.read_piece(first, static_cast<size_t>(kListLen) + 1, whole) == 0) {
            if (first.size() > static_cast<size_t>(kListLen)) {
                notes.help("NOTE: too long variable list in data file");
                notes.ok("Variable names not read: line 1 of " + datapath + " is longer than " +
                         std::to_string(kListLen) + " characters $");
                nvd.names_refused = true;
                make_counts();
                return counts;
            }
            names = count_names(first + " ", flags.comma || flags.tab);
        }
    }
    make_counts();

    // Existence of the data file and its extension.
    std::error_code ec;
    if (trim(datapath).empty() || !std::filesystem::is_regular_file(datapath, ec)) {
        notes.help("ERROR: data file not found");
        notes.box("File expected is:  " + datapath.substr(0, 50) + "$");
        if (trim(datapath).empty()) notes.box("Check for omitted format or free format specifier!$");
        nvd.nodatafile = true;
        nvd.nodata = true;
        return counts;
    }
    const std::string ext = upper_extension(datapath);
    if (flags.comma && ext != ".CSV") notes.box("NOTE: .CSV file expected for comma delimited, may fail $");
    if (flags.tab && ext != ".TXT") notes.box("NOTE: .TXT file expected for tab delimited, may fail $");
    if (flags.space && ext != ".DAT") notes.box("NOTE: .DAT file expected for space delimited, may fail $");
    if (beyond80) notes.help("NOTE: beyond 80th column");
    return counts;
}

} // namespace meru::files
