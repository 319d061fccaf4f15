#pragma once
// Runs the control-file pre-scan and reader on a text and writes their notes as
// the opening step does, capturing the log and the service calls.
#include "files/controlfile.h"
#include "platform/io/logwriter.h"
#include "platform/io/records.h"
#include "support/recording_services.h"
#include "ui/control_notes.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace meru::test {

inline std::string cf_data(const std::string& name)
{
    return std::string(MERU_TEST_DATA_DIR) + "/files/data/" + name;
}

inline std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

struct CfRun {
    RecordingServices sv;
    io::LogWriter log;
    std::vector<std::string> lines; // the log
    files::ControlTables t;
    files::ScanCounts counts;
    files::ScanFlags flags;
    files::NoValidData nvd;
    files::Scratch scratch;
    std::string msgline;
    int errors = 0;

    CfRun()
    {
        log.set_trace_sink([this](std::string_view l) { lines.emplace_back(l); });
    }

    // Pre-scan and reader on `text`, the data file being `datapath`.
    CfRun& run(std::string_view text, const std::string& datapath = cf_data("plain.dat"))
    {
        const auto recs = io::split_records(text);
        t.format.datapath = datapath;
        files::CfNotes notes;
        counts = files::scancf(recs, t.format.datapath, flags, false, nvd, notes);
        ui::control_notes(notes, log, sv);
        files::allocate(t, counts);
        return read(recs);
    }

    // The reader alone, on tables already sized.
    CfRun& read(const std::vector<std::string>& recs)
    {
        files::CfNotes notes;
        errors = files::readcf(recs, t, flags, msgline, scratch, notes, sv);
        ui::control_notes(notes, log, sv);
        return *this;
    }

    bool logged(std::string_view line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
    bool logged_prefix(std::string_view prefix) const
    {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
    }
    bool called(std::string_view call) const
    {
        return std::find(sv.calls.begin(), sv.calls.end(), call) != sv.calls.end();
    }
    const files::Attribute& att(int a) const { return t.att[static_cast<size_t>(a)]; }
    const files::AttrLine& line(int k) const { return t.line[static_cast<size_t>(k)]; }
    std::string own(int a) const { return rtrim(att(a).attlab[1]); }
    std::string comp(int a) const { return rtrim(att(a).attlab[0]); }
    static std::string rtrim(const std::string& s)
    {
        auto e = s.find_last_not_of(' ');
        return e == std::string::npos ? std::string() : s.substr(0, e + 1);
    }
};

// A control file around the given variable list and attribute lines.
inline std::string cf_text(const std::string& vars, const std::string& lines,
                           const std::string& tail = "free space\nX.DAT\n")
{
    return "Title\n" + vars + "\n*\n" + lines + "*\n" + tail;
}

} // namespace meru::test
