#include "search/combination_write.h"

#include "files/tables.h"
#include "partition/parttext.h"
#include "platform/io/safe_files.h"

namespace meru::search {

namespace {

std::string rtrim(std::string s)
{
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

// Adds one line at the end of the file, starting a new line first when its last
// one has no line end. The file is written anew beside the old one and renamed
// over it when whole, so a full disk leaves it as it was. A second program adding
// a line at the same time waits until this one is done, then reads the file with
// this line in it. Empty on success, else the system's reason.
std::string append_line(const std::string& path, const std::string& line, const io::WriteFn& write)
{
    return io::update_contents(
        path,
        [&](std::string& text) {
            if (std::string why = io::can_write(path); !why.empty()) return why;
            if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += '\n';
            text += line + "\n";
            return std::string();
        },
        write);
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
                             std::vector<std::string>& combos, Notices& told, const io::WriteFn& write)
{
    const std::string record = combination_record(name, a);
    if (record.empty()) {
        told.add_note("NOTE: Partition too long for a control file combination. Not written $", NoteKind::Full, true);
        return ComboWrite::too_long;
    }
    if (const std::string why = append_line(path, record, write); !why.empty()) {
        told.add_note("NOTE: Control file not written: " + why + " $", NoteKind::Full, true);
        return ComboWrite::failed;
    }
    if (static_cast<int>(combos.size()) < files::kMaxCombos) {
        combos.push_back(record);
        told.add_note("NOTE: Boolean combination of attribute " + name + " written to control file $", NoteKind::Full,
                      true);
        return ComboWrite::written;
    }
    told.add_note("NOTE: # combinations >30. Exceeds allowable. But is written to CF $", NoteKind::Full, true);
    return ComboWrite::kept_not;
}

} // namespace meru::search
