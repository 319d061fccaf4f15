// Feeds arbitrary bytes as a data file through the data reader under one of four
// fixed small control files (comma, space, tab and fixed columns, chosen by the
// first byte), as the main routine does: records counted, arrays sized, read,
// attribute matrix built. Checks that every attribute byte of the observations
// read is 0, 1 or 255 and that the weights are not negative.
#include "files/controlfile.h"
#include "files/makecf.h"
#include "files/readdata.h"
#include "platform/io/logwriter.h"
#include "platform/io/random.h"
#include "platform/io/records.h"
#include "quiet_services.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace meru::files;

const std::string& data_path()
{
    static const std::string path = [] {
        std::string p = "/tmp/meru_fuzz_datafile.dat";
        if (std::FILE* f = std::fopen(p.c_str(), "wb")) std::fclose(f);
        return p;
    }();
    return path;
}

std::string control_text(int layout)
{
    static const char* kLists[] = {"_ID_,a,b,g,_FREQ_", "_ID_ a b g _FREQ_", "_ID_\ta\tb\tg\t_FREQ_",
                                   "_ID_ a b g _FREQ_"};
    static const char* kFormats[] = {"free comma", "free space", "free tab", "(A3,2F4.1,F2.0,I3)"};
    return std::string("fuzz\n") + kLists[layout] +
           "\n*\na i 1 p50\nb cv3\ng n01AB- 0 A-\ng o 2\nb i- 5\na mean\n_i_ o 3\n_r_ i 2\n*\n" + kFormats[layout] +
           "\n" + data_path() + "\n";
}

// The tables of the four control files, read once.
const ControlTables& tables(int layout)
{
    static const std::array<ControlTables, 4> all = [] {
        std::array<ControlTables, 4> out;
        meru::fuzz::QuietServices sv;
        CfNotes notes;
        for (int l = 0; l < 4; ++l) {
            const auto cf = meru::io::split_records(control_text(l));
            std::string path = data_path();
            ScanFlags flags;
            NoValidData nvd;
            const auto counts = scancf(cf, path, flags, true, nvd, notes);
            allocate(out[static_cast<std::size_t>(l)], counts);
            out[static_cast<std::size_t>(l)].format.datapath = path;
            Scratch scratch;
            std::string msgline;
            readcf(cf, out[static_cast<std::size_t>(l)], flags, msgline, scratch, notes, sv);
        }
        return out;
    }();
    return all[static_cast<std::size_t>(layout)];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const int layout = data[0] % 4;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    ControlTables t = tables(layout);
    const int n = static_cast<int>(meru::io::split_records(text).size());
    DataArrays d;
    allocate_data(d, n, t.dims.nv, t.dims.lc);
    meru::io::RecordReader in;
    in.open_text(text);
    meru::fuzz::QuietServices sv;
    meru::io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    meru::io::RandomStream rng;
    std::string msgline;
    ReadDataContext cx{sv, log, msgline, rng, false};
    bool novalid = false;
    const ReadDataResult r = readdata(t, d, in, n, novalid, cx);
    if (r.nread < 0 || r.nread > n) std::abort();
    if (!novalid) {
        for (int i = 1; i <= r.nread; ++i) {
            if (d.obswt[static_cast<std::size_t>(i - 1)] < 0) std::abort();
            for (int a = 1; a <= t.natt; ++a) {
                const auto b = d.ab(a, i);
                if (b != 0 && b != 1 && b != 255) std::abort();
            }
        }
        const auto vars = default_cf_variables(t, r);
        if (static_cast<int>(vars.size()) != data_variable_count(t.vars)) std::abort();
    }
    return 0;
}
