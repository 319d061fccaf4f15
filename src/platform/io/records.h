#pragma once
// Sequential reading of text records from a file or from text held in memory.
// A line feed, a carriage return followed by a line feed, and a lone carriage
// return each end a record; a last line without a line end is a complete record.
// Statuses as in iostat.h: 0 ok, kEndOfFile at the end, kEndOfRecord from get_char.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace meru::io {

class RecordReader {
public:
    RecordReader() = default;
    ~RecordReader();
    RecordReader(const RecordReader&) = delete;
    RecordReader& operator=(const RecordReader&) = delete;
    RecordReader(RecordReader&& other) noexcept;
    RecordReader& operator=(RecordReader&& other) noexcept;

    // Opens a file for reading; kErrNotFound when it does not exist, kErrOpen
    // when it cannot be read.
    int open(const std::string& path);
    // Reads records from text held in memory.
    void open_text(std::string text);
    void close();
    bool is_open() const { return open_; }

    // The rest of the current record (all of it unless get_char took characters
    // of it); the reader moves to the next record.
    int read(std::string& record);
    // As read, blank-padded or cut to width characters.
    int read(std::string& record, std::size_t width);
    // Up to `most` (at least 1) further characters of the current record, so that
    // a record of any length is read in bounded memory. `last` tells whether the
    // record ended with them; the reader is then at the next record. kEndOfFile
    // when no record is left.
    int read_piece(std::string& piece, std::size_t most, bool& last);
    // Moves past the rest of the current record without keeping it; kEndOfFile
    // when no record is left.
    int skip_record();
    // One character of the current record. At its end: kEndOfRecord, and the next
    // call starts the next record. After the last record: kEndOfFile. Line-end
    // characters are never delivered.
    int get_char(char& c);

    // Back to the first record.
    int rewind();
    // One record back: to the start of the current record when characters of it
    // were taken, else to the start of the previous one. At the first record it
    // does nothing. After the end of file was met, the next read meets it again,
    // and a further backspace goes to the last record.
    int backspace();

    // Number of the record that the next read gives (1 for the first record).
    long long next_record_number() const { return rec_ + 1; }
    // Byte offset of the next byte to be read.
    std::uint64_t byte_position() const { return pos_; }
    // Moves past every remaining record, as if they had been read.
    void skip_to_end();

private:
    int byte_at(std::uint64_t pos); // -1 at end of data
    // A UTF-8 byte-order mark at the start of the data is not part of the first record.
    void skip_byte_order_mark();
    void note_record_start(long long index, std::uint64_t pos);
    // Moves over at most `most` characters of the current record (up to its end),
    // appending them to `out` unless it is null.
    void take(std::string* out, std::size_t most);
    // kOk when a record (or the rest of one) is left to read, else kEndOfFile or kErrNotOpen.
    int start_read();
    // Consumes the line end at pos_ (if any) and moves to the next record.
    void finish_record();

    std::FILE* file_ = nullptr;
    bool open_ = false;
    std::vector<char> buf_;
    std::uint64_t buf_start_ = 0;
    std::size_t buf_len_ = 0;
    bool memory_ = false;

    std::uint64_t pos_ = 0;                // next byte
    long long rec_ = 0;                    // index of the current record
    bool inside_ = false;                  // characters of the current record were taken
    bool eof_ = false;                     // the end of file was met
    std::vector<std::uint64_t> starts_{0}; // start offsets of the records met so far
};

// Splits text into its records under the same line-end rules (a UTF-8 byte-order
// mark at the start is skipped, as the reader skips it).
std::vector<std::string> split_records(std::string_view text);

} // namespace meru::io
