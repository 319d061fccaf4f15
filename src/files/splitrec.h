#pragma once
// Free-format data records: splitting a record into items under the comma, tab or
// space layout, and decoding one item into a value.
#include "files/tables.h"

#include <string>
#include <string_view>
#include <vector>

namespace meru::io {
class RecordReader;
}

namespace meru::files {

// The free layout of a data file: comma- or tab-delimited (`delimited`, with the
// delimiter), or space-delimited.
struct FreeLayout {
    bool delimited = false;
    char delim = ' ';
};
// Comma when the comma flag is set, else tab when the tab flag is set, else space.
FreeLayout free_layout(const DataFormat& f);

inline constexpr int kItemLen = 30; // characters kept of a free-format item

// One item of a record: its text (at most 30 characters; it lives in the
// record's `chars` until the next record is read) and whether it ended inside an
// open double quote.
struct Item {
    std::string_view text;
    bool open_quote = false;
};

// One record split into items.
struct FreeRecord {
    std::vector<Item> items; // only the first `count` are this record's
    int count = 0;
    bool delim_seen = false; // the delimiter occurred outside quotes
    bool eof = false;        // the file ended while reading this record
    long long line = 0;      // the last line of the file read for it (1 for the first)
    std::string chars;       // the characters of the items, one after the other
};

// Splits the records of a free-format data file. A record is one line, continued
// on the next line while it ends directly after an item and holds fewer than
// `expected` items:
//  - a double quote toggles the quoted state and is dropped;
//  - delimited layouts: blanks are dropped; inside quotes the delimiter is dropped;
//    a delimiter ends the current item; a delimiter after a delimiter (or at the
//    start of the record) gives an empty item, stored as the text "-1";
//  - space layout: outside quotes a blank or a tab ends the current item, further
//    blanks and tabs are ignored (a run of them is one separator); inside quotes
//    they are dropped;
//  - delimited layouts: a tab always ends the current item, even an empty one.
// Items keep their first 30 characters. A last line without a line end is a
// complete record. Lines are read in pieces, so that the memory a record takes
// is bounded by the items it keeps, however long its lines: a record with more
// than `most` items (at least `expected`) is cut after its first most + 1 and the
// rest of its line is skipped, for the caller to refuse. Reading is linear in the
// size of the file.
class FreeSplitter {
public:
    static constexpr std::size_t kPiece = std::size_t{1} << 16; // characters read at a time

    FreeSplitter(io::RecordReader& in, FreeLayout layout, int expected, int most, std::size_t piece = kPiece);
    // Reads the next record. Returns its item count; rec.eof tells whether the end
    // of the file was met (a record with items read before the end is complete).
    int next(FreeRecord& rec);

private:
    // Where an item's characters lie in the record's `chars`.
    struct Span {
        std::size_t off = 0, len = 0;
        bool open_quote = false;
    };
    io::RecordReader& in_;
    FreeLayout layout_;
    int expected_;
    std::size_t most_;
    std::size_t piece_size_;
    std::string piece_;
    std::vector<Span> spans_;
};

// What a data item stands for.
enum class ItemKind { number, missing, character, inadmissible };
struct ItemValue {
    ItemKind kind = ItemKind::missing;
    double value = 0;      // number: its value; character: the state code 0..35
    char ch = ' ';         // character and inadmissible items: the first character (upper case)
    int digits = 0;        // number: the digits it is written with, before any exponent
    bool negative = false; // missing: the item is a minus sign before a number
};

// Decodes a free-format item. A number begins with a digit, or with a point and
// a digit, and is read as a list-directed read reads it: digits with at most one
// point, then optionally an exponent (E or D in either case, an optional sign and
// digits: 1e2, 2.5D-3); the value must be finite in single precision, so 1e999 is
// not a number. Otherwise the item is missing when it begins with "-", "#", "."
// or "?" (and when it is empty), else its first character, upper-cased, is a
// state (a letter or a digit) or inadmissible. A negative number (-5, -.3e2) is
// thus missing, and marked `negative`.
ItemValue decode_item(std::string_view text, bool open_quote);

} // namespace meru::files
