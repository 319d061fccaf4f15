// Feeds arbitrary bytes as a control file through the pre-scan and the reader,
// sizing the tables from the pre-scan exactly as the main routine does.
#include "files/controlfile.h"
#include "platform/io/records.h"
#include "quiet_services.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// A small data file for control files whose names come from the data file.
const std::string& data_path()
{
    static const std::string path = [] {
        std::string p = "/tmp/meru_fuzz_controlfile.dat";
        if (std::FILE* f = std::fopen(p.c_str(), "wb")) {
            std::fputs("a,b c\tid\n1,2 3\t4\n", f);
            std::fclose(f);
        }
        return p;
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace meru::files;
    const auto records = meru::io::split_records(std::string_view(reinterpret_cast<const char*>(data), size));
    meru::fuzz::QuietServices sv;
    CfNotes notes;

    ControlTables t;
    t.format.datapath = data_path();
    ScanFlags flags;
    flags.comma = size > 0 && (data[0] & 1);
    NoValidData nvd;
    const ScanCounts counts = scancf(records, t.format.datapath, flags, false, nvd, notes);
    // The main routine refuses more than 10000 attributes.
    if (counts.attbound + kSpareSlots > kMaxAttributes || counts.varbound > 100000) return 0;
    allocate(t, counts);
    Scratch scratch;
    std::string msgline;
    readcf(records, t, flags, msgline, scratch, notes, sv);

    // Everything stored lies within what the pre-scan counted.
    if (t.natt > counts.attbound || t.nlines > counts.varbound || t.vars.nvar > counts.varbound + kSpareSlots)
        __builtin_trap();
    for (int a = 1; a <= t.natt; ++a) {
        const Attribute& at = t.att[static_cast<std::size_t>(a)];
        if (at.attlab[0].size() != kLabelLen || at.attlab[1].size() != kLabelLen) __builtin_trap();
        if (at.attline < 1 || at.attline > t.nlines) __builtin_trap();
    }
    return 0;
}
