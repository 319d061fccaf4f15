#pragma once
// Format texts: a parenthesised list of edit descriptors given at run time, such
// as "(F5.1,2X,A1,T20,I3)" or "(I6,1X,A50)". Descriptors (letters in either case):
//   r Iw   r Fw.d   r Ew.d   r Dw.d   r Gw.d   r Aw or A   r Lw   r Zw (hexadecimal integer)
//   nX   Tn   TLn   TRn   /   r( ... )   'text' or "text"   BN   BZ   :
// An exponent width (Ew.dEe) and the sign controls S, SP and SS are refused as
// invalid formats rather than accepted and then not carried out.
// where r is an optional repeat count. Commas between items may be left out where
// nothing is ambiguous. When the list of values is longer than the format, the
// format starts again, on a new record, at its last top-level group (or at its
// start when it has none).
//
// Reading: the field of a number is taken from the record's columns (a short
// record reads as if blank-padded); blanks in a number are ignored (BN) or read
// as zeros (BZ); a blank field reads as zero. Fw.d, Ew.d, Dw.d and Gw.d read the
// same way: a number written without a decimal point has d implied decimals.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace meru::io {

struct FormatNode {
    enum class Kind { I, F, E, D, G, A, L, Z, X, T, TL, TR, Slash, Literal, BN, BZ, Colon, Group };
    Kind kind = Kind::X;
    int repeat = 1;
    int w = -1; // -1: not given (A without a width)
    int d = 0;
    std::string literal;
    std::vector<FormatNode> items; // Group only

    bool is_data() const
    {
        return kind == Kind::I || kind == Kind::F || kind == Kind::E || kind == Kind::D || kind == Kind::G ||
               kind == Kind::A || kind == Kind::L || kind == Kind::Z;
    }
};

class Format {
public:
    // Interprets a format text. Returns 0, or kErrBadFormat (the format stays
    // empty) when the text is not a valid format.
    int parse(std::string_view text);
    bool valid() const { return valid_; }
    const FormatNode& root() const { return root_; }
    // Index in root().items where the format starts again after its end.
    std::size_t reversion_index() const { return reversion_; }
    bool has_data() const { return has_data_; }
    // How many columns of one record reading under the format may look at, at
    // most (an A without a width taking `unsized`): a record cut there reads the
    // same. SIZE_MAX when the format reaches further than that can tell.
    std::size_t record_reach(std::size_t unsized) const;

private:
    FormatNode root_;
    std::size_t reversion_ = 0;
    bool valid_ = false;
    bool has_data_ = false;
};

namespace detail {
// Walks the items of a format in order, with repeat counts, groups and reversion.
class FormatCursor {
public:
    explicit FormatCursor(const Format& f);
    // The next item, or nullptr at the end of the format.
    const FormatNode* next();
    // Starts again at the reversion point.
    void revert();

private:
    struct Frame {
        const FormatNode* group;
        std::size_t index;
        int pass;
    };
    const Format& format_;
    std::vector<Frame> stack_;
    int item_done_ = 0;
};
} // namespace detail

// One formatted read statement over records that a source delivers. Values are
// taken in order; each call returns 0, a positive error (kErrBadInput for a field
// that does not hold its kind of value, kErrBadFormat for an invalid format) or
// kEndOfFile when the source has no record left. After a failure every further
// call returns the same status.
class FormattedReader {
public:
    using RecordSource = std::function<int(std::string& record)>;

    FormattedReader(const Format& format, RecordSource source);

    int read_real(double& value);
    // As read_real, but a field holding nothing but ".", "-" or "+" (blanks
    // aside) is a missing value: `missing` becomes true, `value` stays, and kOk.
    int read_real_or_missing(double& value, bool& missing);
    int read_int(long long& value);
    int read_int(int& value);
    // A text value of the given length: Aw with w larger than length keeps the
    // rightmost length characters; a shorter field is blank-padded on the right.
    int read_text(std::string& value, std::size_t length);
    int read_logical(bool& value);
    // Ends the statement: the rest of the format up to its next data descriptor is
    // carried out (a "/" there reads past a record). Returns the status.
    int finish();
    int status() const { return status_; }

private:
    const FormatNode* next_data();
    int next_record();
    std::string field(int w);
    int fail(int st);

    const Format& format_;
    detail::FormatCursor cursor_;
    RecordSource source_;
    std::string record_;
    std::size_t pos_ = 0;
    bool started_ = false;
    bool blank_zero_ = false;
    int status_ = 0;
};

// Reads values from one text (an internal record) under a format text; a "/"
// or a reversion in the format reads past the end and gives kEndOfFile.
class TextRecords {
public:
    explicit TextRecords(std::vector<std::string> records) : records_(std::move(records)) {}
    int operator()(std::string& r)
    {
        if (next_ >= records_.size()) return -1;
        r = records_[next_++];
        return 0;
    }

private:
    std::vector<std::string> records_;
    std::size_t next_ = 0;
};

// One formatted write statement: values are edited in order into records;
// literals and positioning are carried out as the format reaches them.
class FormattedWriter {
public:
    explicit FormattedWriter(const Format& format);

    int write_real(double value);
    int write_int(long long value);
    int write_text(std::string_view value);
    int write_logical(bool value);
    // Carries out the format up to its next data descriptor (or its end) and
    // returns the records written. An invalid format gives kErrBadFormat.
    int finish(std::vector<std::string>& records);
    int status() const { return status_; }

private:
    const FormatNode* next_data();
    void put(std::string_view s);
    void control(const FormatNode& n);

    const Format& format_;
    detail::FormatCursor cursor_;
    std::vector<std::string> done_;
    std::string record_;
    std::size_t pos_ = 0;
    int status_ = 0;
};

// Writes one value into a text of `length` characters under a format text, as an
// internal write does: kErrBadFormat for an invalid format, kErrWrite when the
// output needs more than one record or more than `length` characters; on success
// `out` is the record blank-padded to `length`.
int write_with_format(std::string_view format_text, double value, std::size_t length, std::string& out);
int write_with_format(std::string_view format_text, long long value, std::size_t length, std::string& out);

} // namespace meru::io
