// Reading a control file into its records, in memory bounded by what it holds.
#include "files/controlfile.h"
#include "platform/io/iostat.h"
#include "platform/io/records.h"
#include "platform/io/safe_files.h"

#include <cerrno>
#include <cstring>

namespace meru::files {

CfRecords read_cf_records(const std::string& path)
{
    CfRecords cf;
    // The first bytes tell a file that cannot be read, and UTF-16 text by its
    // byte-order mark.
    std::string head;
    if (std::string why = io::read_regular_file(path, head, 2); !why.empty()) {
        cf.unreadable = why;
        return cf;
    }
    if (head == "\xFF\xFE" || head == "\xFE\xFF") {
        cf.refused = "UTF-16 text, not plain text";
        return cf;
    }
    io::RecordReader in;
    if (in.open(path) != io::kOk) {
        cf.unreadable = std::strerror(errno);
        return cf;
    }
    std::string rec;
    bool whole = false;
    while (in.read_piece(rec, kCfLineMost + 1, whole) == io::kOk) {
        const std::string line = "line " + std::to_string(in.next_record_number() - (whole ? 1 : 0));
        if (rec.size() > kCfLineMost)
            cf.refused = line + " is longer than " + std::to_string(kCfLineMost) + " characters";
        else if (rec.find('\0') != std::string::npos) cf.refused = line + " holds NUL bytes, not text";
        if (!cf.refused.empty()) {
            cf.records.clear();
            return cf;
        }
        cf.records.push_back(rec);
    }
    return cf;
}

} // namespace meru::files
