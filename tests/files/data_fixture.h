#pragma once
// Runs the control-file reader and the data reader on texts written to a
// temporary folder, capturing the log and the service calls. The notes and
// reports of reading are written above the core: support/reported_data.h adds
// them.
#include "files/controlfile.h"
#include "files/readdata.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"
#include "platform/io/records.h"
#include "support/recording_services.h"
#include "support/temp_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace meru::test {

struct DataRun {
    RecordingServices sv;
    io::LogWriter log;
    std::vector<std::string> lines; // the log
    files::ControlTables t;
    files::DataArrays d;
    files::ReadDataResult r;
    bool novalid = false;
    int cf_errors = 0;
    std::string msgline;
    io::RandomStream rng;
    std::string datapath;
    std::size_t cf_lines = 0, cf_calls = 0; // log lines and service calls of the control-file reader

    int var(const std::string& name) const
    {
        for (int j = 1; j <= t.vars.nvar; ++j)
            if (t.vars.varname[static_cast<size_t>(j)] == name) return j;
        return 0;
    }
    float x(int i, const std::string& name) const
    {
        const int j = var(name);
        EXPECT_GT(j, 0) << "no variable " << name;
        return j > 0 ? d.x(i, j) : -12345.0f;
    }
    int ab(int a, int i) const { return d.ab(a, i); }
    bool logged(const std::string& part) const
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    int count_logged(const std::string& part) const
    {
        return static_cast<int>(std::count_if(
            lines.begin(), lines.end(), [&](const std::string& l) { return l.find(part) != std::string::npos; }));
    }
    bool called(const std::string& call) const
    {
        return std::find(sv.calls.begin(), sv.calls.end(), call) != sv.calls.end();
    }
};

inline std::string temp_file(const std::string& name, const std::string& text)
{
    const std::string path = temp_path(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// What writes the reports of a read (the signature of ui::data_reports), and the
// notes of the control-file reader (that of ui::control_notes).
using ReportWriter = void (*)(files::ControlTables&, files::ReadDataResult&, files::ReadDataContext&, bool&);
using NoteWriter = void (*)(const files::CfNotes&, io::LogWriter&, Services&);

// `cf` names the data file as DATA (replaced by its path). The data file is
// written byte for byte; its records are counted as the main routine counts them.
// Without `reports` and `notes` only the core's reading runs.
inline std::unique_ptr<DataRun> read_data(std::string cf, const std::string& data, const std::string& name = "t.csv",
                                          ReportWriter reports = nullptr, NoteWriter notes = nullptr)
{
    auto run = std::make_unique<DataRun>();
    run->log.set_trace_sink([r = run.get()](std::string_view l) { r->lines.emplace_back(l); });
    run->datapath = temp_file(name, data);
    const auto at = cf.find("DATA");
    if (at != std::string::npos) cf.replace(at, 4, run->datapath);
    const auto records = io::split_records(cf);
    std::string path = run->datapath;
    files::ScanFlags flags;
    files::NoValidData nvd;
    files::CfNotes scan_notes, read_notes;
    const auto counts = files::scancf(records, path, flags, true, nvd, scan_notes);
    if (notes) notes(scan_notes, run->log, run->sv);
    files::allocate(run->t, counts);
    run->t.format.datapath = path;
    files::Scratch scratch;
    run->cf_errors = files::readcf(records, run->t, flags, run->msgline, scratch, read_notes, run->sv);
    if (notes) notes(read_notes, run->log, run->sv);
    run->t.format.datapath = path;
    run->cf_lines = run->lines.size();
    run->cf_calls = run->sv.calls.size();
    const int n = static_cast<int>(io::split_records(data).size());
    files::allocate_data(run->d, files::observation_shape(run->t, n));
    io::RecordReader in;
    EXPECT_EQ(in.open(run->datapath), 0);
    run->novalid = nvd.nodata;
    files::ReadDataContext cx{run->sv, run->log, run->msgline, run->rng, false};
    run->r = files::readdata(run->t, run->d, in, n, run->novalid, cx);
    if (reports) reports(run->t, run->r, cx, run->novalid);
    return run;
}

} // namespace meru::test
