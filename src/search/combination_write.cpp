#include "search/combination_write.h"

#include "core/services.h"
#include "files/tables.h"
#include "partition/parttext.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace meru::search {

namespace {

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Appends one line to the file, starting a new line first when its last one has
// no line end. Empty on success, else the system's reason.
std::string append_line(const std::string& path, const std::string& line)
{
    bool need_break = false;
    if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
        if (std::fseek(in, -1, SEEK_END) == 0) {
            const int c = std::fgetc(in);
            need_break = c != '\n' && c != '\r' && c != EOF;
        }
        std::fclose(in);
    } else {
        return std::strerror(errno);
    }
    std::FILE* out = std::fopen(path.c_str(), "ab");
    if (!out) return std::strerror(errno);
    const std::string text = (need_break ? "\n" : "") + line + "\n";
    const bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    const int err = errno;
    const bool closed = std::fclose(out) == 0;
    if (!ok || !closed) return std::strerror(err ? err : errno);
    return {};
}

} // namespace

std::string combination_record(const std::string& name, const partition::TermList& a)
{
    if (!partition::text_fits(a)) return {};
    bool aminus = false;
    std::string head = name.substr(0, files::kNameLen);
    head.resize(files::kNameLen, ' ');
    const std::string record = rtrim(head + partition::parttext(a, 1, aminus));
    if (record.size() > static_cast<std::size_t>(files::kComboLen)) return {};
    return record;
}

ComboWrite write_combination(const std::string& path, const std::string& name, const partition::TermList& a,
                             std::vector<std::string>& combos, Services& sv)
{
    const std::string record = combination_record(name, a);
    if (record.empty()) {
        sv.note("NOTE: Partition too long for a control file combination. Not written $", NoteKind::Full, true);
        return ComboWrite::too_long;
    }
    if (const std::string why = append_line(path, record); !why.empty()) {
        sv.note("NOTE: Control file not written: " + why + " $", NoteKind::Full, true);
        return ComboWrite::failed;
    }
    if (static_cast<int>(combos.size()) < files::kMaxCombos) {
        combos.push_back(record);
        sv.note("NOTE: Boolean combination of attribute " + name + " written to control file $", NoteKind::Full,
                true);
        return ComboWrite::written;
    }
    sv.note("NOTE: # combinations >30. Exceeds allowable. But is written to CF $", NoteKind::Full, true);
    return ComboWrite::kept_not;
}

} // namespace meru::search
