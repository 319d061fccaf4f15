#include "platform/io/fileunits.h"

#include <cerrno>
#include <filesystem>
#include <unistd.h>

#include "platform/io/iostat.h"

namespace meru::io {

namespace {

bool exists(const std::string& path)
{
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// Creates an empty file, or empties an existing one.
bool create_empty(const std::string& path)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

} // namespace

FileUnits::~FileUnits()
{
    while (!units_.empty()) close(units_.begin()->first);
}

FileUnits::Unit* FileUnits::find(int unit)
{
    auto it = units_.find(unit);
    return it == units_.end() ? nullptr : it->second.get();
}

const FileUnits::Unit* FileUnits::find(int unit) const
{
    auto it = units_.find(unit);
    return it == units_.end() ? nullptr : it->second.get();
}

int FileUnits::open(int unit, const FileOpen& how)
{
    if (registry_.kind(unit) == platform::UnitKind::window) return kErrUnitInUse;
    close(unit);
    if (how.access == FileAccess::Direct && how.record_length == 0) return kErrWrongAccess;
    const bool present = exists(how.path);
    switch (how.status) {
    case FileStatus::Old:
        if (!present) return kErrNotFound;
        break;
    case FileStatus::New:
        if (present) return kErrExists;
        if (!create_empty(how.path)) return kErrOpen;
        break;
    case FileStatus::Replace:
        if (!create_empty(how.path)) return kErrOpen;
        break;
    case FileStatus::Unknown:
        if (!present && !create_empty(how.path)) return kErrOpen;
        break;
    }
    auto u = std::make_unique<Unit>();
    u->how = how;
    const int st = u->reader.open(how.path);
    if (st != kOk) return st;
    u->reader_fresh = true;
    if (how.access == FileAccess::Append) u->reader.skip_to_end();
    if (!registry_.claim(unit, platform::UnitKind::file)) return kErrUnitInUse;
    units_[unit] = std::move(u);
    return kOk;
}

int FileUnits::close(int unit)
{
    Unit* u = find(unit);
    if (!u) return kOk;
    stop_writing(*u);
    u->reader.close();
    units_.erase(unit);
    registry_.release(unit, platform::UnitKind::file);
    return kOk;
}

bool FileUnits::is_open(int unit) const { return find(unit) != nullptr; }

std::string FileUnits::path(int unit) const
{
    const Unit* u = find(unit);
    return u ? u->how.path : std::string();
}

void FileUnits::stop_writing(Unit& u)
{
    if (u.out) {
        std::fclose(u.out);
        u.out = nullptr;
    }
}

// Makes the reader usable after writes: reopened on the file as it now stands.
int FileUnits::start_reading(Unit& u)
{
    if (u.reader_fresh) return kOk;
    stop_writing(u);
    const int st = u.reader.open(u.how.path);
    if (st != kOk) return st;
    u.reader_fresh = true;
    return kOk;
}

// Opens the file for writing at the reader's position; what follows is cut off.
int FileUnits::start_writing(Unit& u)
{
    if (u.out) return kOk;
    const auto pos = static_cast<off_t>(u.reader.byte_position());
    std::FILE* f = std::fopen(u.how.path.c_str(), "r+b");
    if (!f) return kErrWrite;
    bool ok = ::ftruncate(fileno(f), pos) == 0;
    if (ok && pos > 0) {
        // A last record without a line end gets one before the new record.
        ok = fseeko(f, pos - 1, SEEK_SET) == 0;
        const int last = ok ? std::fgetc(f) : EOF;
        ok = ok && last != EOF && fseeko(f, pos, SEEK_SET) == 0;
        if (ok && last != '\n' && last != '\r') ok = std::fputc('\n', f) != EOF;
    }
    if (!ok || fseeko(f, 0, SEEK_END) != 0) {
        std::fclose(f);
        return kErrWrite;
    }
    u.out = f;
    u.reader_fresh = false;
    return kOk;
}

int FileUnits::read(int unit, std::string& record)
{
    record.clear();
    Unit* u = find(unit);
    if (!u) return kErrNotOpen;
    if (u->how.access == FileAccess::Direct) return kErrWrongAccess;
    if (u->after_write) return kEndOfFile;
    return u->reader.read(record);
}

int FileUnits::read(int unit, std::string& record, std::size_t width)
{
    const int st = read(unit, record);
    if (st == kOk) record.resize(width, ' ');
    else record.assign(width, ' ');
    return st;
}

int FileUnits::get_char(int unit, char& c)
{
    c = ' ';
    Unit* u = find(unit);
    if (!u) return kErrNotOpen;
    if (u->how.access == FileAccess::Direct) return kErrWrongAccess;
    if (u->after_write) return kEndOfFile;
    return u->reader.get_char(c);
}

FormattedReader::RecordSource FileUnits::source(int unit)
{
    return [this, unit](std::string& record) { return read(unit, record); };
}

int FileUnits::read_direct(int unit, long long n, std::string& record)
{
    record.clear();
    Unit* u = find(unit);
    if (!u) return kErrNotOpen;
    if (u->how.access != FileAccess::Direct) return kErrWrongAccess;
    if (n < 1) return kErrBadRecord;
    const std::size_t len = u->how.record_length;
    std::FILE* f = std::fopen(u->how.path.c_str(), "rb");
    if (!f) return kErrOpen;
    const auto offset = static_cast<off_t>(n - 1) * static_cast<off_t>(len);
    std::string buf(len, ' ');
    std::size_t got = 0;
    if (fseeko(f, offset, SEEK_SET) == 0) got = std::fread(buf.data(), 1, len, f);
    std::fclose(f);
    if (got == 0) return kErrBadRecord;
    record = std::move(buf);
    return kOk;
}

int FileUnits::write(int unit, std::string_view record)
{
    Unit* u = find(unit);
    if (!u) return kErrNotOpen;
    if (u->how.access == FileAccess::Direct) return kErrWrongAccess;
    if (!u->out) {
        const int st = start_writing(*u);
        if (st != kOk) return st;
    }
    if ((!record.empty() && std::fwrite(record.data(), 1, record.size(), u->out) != record.size()) ||
        std::fputc('\n', u->out) == EOF)
        return kErrWrite;
    u->after_write = true;
    return kOk;
}

int FileUnits::flush(int unit)
{
    Unit* u = find(unit);
    if (!u) return kErrNotOpen;
    if (u->out && std::fflush(u->out) != 0) return kErrWrite;
    return kOk;
}

int FileUnits::rewind(int unit)
{
    Unit* u = find(unit);
    if (!u) return kErrNotOpen;
    const int st = start_reading(*u);
    if (st != kOk) return st;
    u->after_write = false;
    return u->reader.rewind();
}

int FileUnits::backspace(int unit)
{
    Unit* u = find(unit);
    if (!u) return kErrNotOpen;
    if (u->how.access == FileAccess::Direct) return kErrWrongAccess;
    if (u->after_write) {
        // Back to the start of the last record written.
        const int st = start_reading(*u);
        if (st != kOk) return st;
        u->after_write = false;
        u->reader.skip_to_end();
        u->reader.backspace();
    }
    return u->reader.backspace();
}

} // namespace meru::io
