#include "search/combination_write.h"

#include "files/tables.h"
#include "partition/parttext.h"
#include "platform/io/safe_files.h"
#include "search/combination_check.h"

#include <algorithm>

namespace meru::search {

namespace {

std::string rtrim(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

// Whether `text` holds the line `first` with `second` as the next line.
bool holds_pair(const std::string& text, const std::string& first, const std::string& second)
{
    std::size_t pos = 0;
    std::string prev;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string line = rtrim(text.substr(pos, end - pos));
        if (prev == first && line == second) return true;
        prev = std::move(line);
        pos = end + 1;
    }
    return false;
}

// Adds two lines at the end of the file, starting a new line first when its last
// one has no line end, unless the file holds them one after the other already
// (`present` is then set and nothing is written). The file is written anew beside
// the old one and renamed over it when whole, so a full disk leaves it as it was.
// A second program adding lines at the same time waits until this one is done,
// then reads the file with these lines in it. Empty on success, else the system's
// reason.
std::string append_pair(const std::string& path, const std::string& first, const std::string& second,
                        bool& present, const io::WriteFn& write)
{
    present = false;
    const std::string why = io::update_contents(
        path,
        [&](std::string& text) {
            if (std::string why = io::can_write(path); !why.empty()) return why;
            if (holds_pair(text, first, second)) {
                present = true;
                return std::string("present"); // nothing to write
            }
            if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += '\n';
            text += first + "\n" + second + "\n";
            return std::string();
        },
        write);
    return present ? std::string() : why;
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
                             files::ControlTables& t, Notices& told, const io::WriteFn& write)
{
    const std::string record = combination_record(name, a);
    if (record.empty()) {
        told.add_note("NOTE: Partition too long for a control file combination. Not written $", NoteKind::Full, true);
        return ComboWrite::too_long;
    }
    bool present = false;
    const std::string check = combination_check_line(record, t);
    if (const std::string why = append_pair(path, record, check, present, write);
        !why.empty()) {
        told.add_note("NOTE: Control file not written: " + why + " $", NoteKind::Full, true);
        return ComboWrite::failed;
    }
    if (present) {
        told.add_note("NOTE: Boolean combination of attribute " + name + " is already in the control file $",
                      NoteKind::Full, true);
        return ComboWrite::present;
    }
    if (static_cast<int>(t.cfcomb.size()) < files::kMaxCombos) {
        t.cfcomb.push_back(record);
        t.cfcheck.resize(t.cfcomb.size() - 1);
        t.cfcheck.push_back(check);
        told.add_note("NOTE: Boolean combination of attribute " + name + " written to control file $", NoteKind::Full,
                      true);
        return ComboWrite::written;
    }
    told.add_note("NOTE: # combinations >30. Exceeds allowable. But is written to CF $", NoteKind::Full, true);
    return ComboWrite::kept_not;
}

} // namespace meru::search
