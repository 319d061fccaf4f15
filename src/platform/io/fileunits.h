#pragma once
// Files on numbered units: open with a status and an access mode, sequential
// reads and writes of text records, direct reads of fixed-length records,
// rewind, backspace and close. Every call returns an iostat (iostat.h): 0 ok,
// positive an error, negative the end of the file. Units are claimed in the
// shared unit registry, so that a unit number is never a window and a file at
// once.
//
// Records are written as text ending in a line feed. A sequential write after
// reads makes the written record the last of the file, as a sequential file
// does; a read straight after a write meets the end of the file.
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/io/format.h"
#include "platform/io/records.h"
#include "platform/io/units.h"

namespace meru::io {

enum class FileStatus {
    Old,     // the file must exist
    New,     // the file must not exist; it is created
    Replace, // created anew, replacing an existing file
    Unknown, // opened when it exists, else created
};

enum class FileAccess {
    Sequential,
    Append, // sequential, positioned at the end: writes add records
    Direct, // fixed-length records read by number
};

struct FileOpen {
    std::string path;
    FileStatus status = FileStatus::Unknown;
    FileAccess access = FileAccess::Sequential;
    std::size_t record_length = 0; // direct access: bytes per record
};

class FileUnits {
public:
    explicit FileUnits(platform::UnitRegistry& registry) : registry_(registry) {}
    ~FileUnits();
    FileUnits(const FileUnits&) = delete;
    FileUnits& operator=(const FileUnits&) = delete;

    // Opens a file on a unit (a unit that holds another file is closed first).
    // kErrUnitInUse when the unit is a window, kErrNotFound (OLD, missing),
    // kErrExists (NEW, present), kErrOpen (cannot open or create),
    // kErrWrongAccess (direct access without a record length).
    int open(int unit, const FileOpen& how);
    // Closes the unit; closing a unit that holds no file is allowed.
    int close(int unit);
    bool is_open(int unit) const;
    // The path the unit was opened on (empty when not open).
    std::string path(int unit) const;

    // Sequential reads (see RecordReader).
    int read(int unit, std::string& record);
    int read(int unit, std::string& record, std::size_t width);
    int get_char(int unit, char& c);
    // A source of records for a FormattedReader on this unit.
    FormattedReader::RecordSource source(int unit);

    // Direct access: the record_length bytes of record n (from 1), as they stand
    // in the file; a short last record is blank-padded. kErrBadRecord for n < 1
    // or a record beyond the end of the file.
    int read_direct(int unit, long long n, std::string& record);

    // Writes one record (sequential or append access).
    int write(int unit, std::string_view record);
    int flush(int unit);

    int rewind(int unit);
    int backspace(int unit);

private:
    struct Unit {
        FileOpen how;
        RecordReader reader;
        std::FILE* out = nullptr;  // open while writing
        bool reader_fresh = false; // reader reflects the file as it stands
        bool after_write = false;  // the last operation was a write: positioned at the end
    };

    Unit* find(int unit);
    const Unit* find(int unit) const;
    int start_writing(Unit& u);
    int start_reading(Unit& u);
    void stop_writing(Unit& u);

    platform::UnitRegistry& registry_;
    std::map<int, std::unique_ptr<Unit>> units_;
};

} // namespace meru::io
