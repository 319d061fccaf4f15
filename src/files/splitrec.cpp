#include "files/splitrec.h"

#include "files/charcodes.h"
#include "platform/io/iostat.h"
#include "platform/io/records.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace meru::files {

FreeLayout free_layout(const DataFormat& f)
{
    FreeLayout l;
    if (f.comma) {
        l.delimited = true;
        l.delim = ',';
    } else if (f.tab) {
        l.delimited = true;
        l.delim = '\t';
    }
    return l;
}

FreeSplitter::FreeSplitter(io::RecordReader& in, FreeLayout layout, int expected, int most, std::size_t piece)
    : in_(in), layout_(layout), expected_(expected), most_(static_cast<std::size_t>(std::max({1, expected, most}))),
      piece_size_(std::max<std::size_t>(piece, 1))
{}

namespace {

// What the last character that counted was.
enum class Prev { start, item, blank, delim, line_end };

// Whether `text` holds any of the characters of `set`.
bool has_any(std::string_view text, std::string_view set)
{
    for (const char c : set)
        if (std::memchr(text.data(), c, text.size())) return true;
    return false;
}

} // namespace

int FreeSplitter::next(FreeRecord& rec)
{
    rec.count = 0;
    rec.delim_seen = false;
    rec.eof = false;
    rec.chars.clear();
    // spans_ keeps its elements from record to record.
    std::size_t nspans = 0;
    const auto add_span = [&](std::size_t off, std::size_t len, bool open_quote) {
        if (nspans == spans_.size()) spans_.emplace_back();
        spans_[nspans++] = Span{off, len, open_quote};
    };
    Prev prev = Prev::start;
    bool quoted = false;
    bool in_item = false;    // an item has begun
    std::size_t item_at = 0; // where its characters begin in rec.chars
    const auto end_item = [&] {
        add_span(item_at, rec.chars.size() - item_at, quoted);
        in_item = false;
    };
    const auto empty_item = [&](std::string_view text) {
        add_span(rec.chars.size(), text.size(), false);
        rec.chars.append(text);
    };
    // Characters that neither separate nor quote: they make up items.
    const auto plain = [&](char c) {
        return c != '"' && c != ' ' && c != '\t' && !(layout_.delimited && c == layout_.delim);
    };
    // n item characters from piece_[from], of which the item keeps its first kItemLen.
    const auto item_chars = [&](std::size_t from, std::size_t n) {
        if (!in_item) {
            item_at = rec.chars.size();
            in_item = true;
        }
        const std::size_t kept = rec.chars.size() - item_at;
        const std::size_t keep = kItemLen;
        rec.chars.append(piece_, from, std::min(kept < keep ? keep - kept : 0, n));
        prev = Prev::item;
    };
    // The delimiter outside quotes.
    const auto delimiter = [&] {
        rec.delim_seen = true;
        if (in_item) end_item();
        else if (prev == Prev::delim || prev == Prev::start) empty_item("-1");
        prev = Prev::delim;
    };
    const auto finish = [&] {
        rec.count = static_cast<int>(nspans);
        if (rec.items.size() < nspans) rec.items.resize(nspans);
        for (std::size_t k = 0; k < nspans; ++k)
            rec.items[k] =
                Item{std::string_view(rec.chars).substr(spans_[k].off, spans_[k].len), spans_[k].open_quote};
        return rec.count;
    };

    for (;;) {
        bool last = false;
        if (in_.read_piece(piece_, piece_size_, last) != io::kOk) {
            rec.eof = true;
            return finish();
        }
        const std::size_t len = piece_.size();
        if (layout_.delimited && layout_.delim != '\t' && !quoted && !has_any(piece_, "\" \t")) {
            // Nothing but item characters and delimiters: the items lie between
            // the delimiters, as the rules below make them.
            for (std::size_t from = 0; nspans <= most_; ++from) {
                const void* at = std::memchr(piece_.data() + from, layout_.delim, len - from);
                const std::size_t to =
                    at ? static_cast<std::size_t>(static_cast<const char*>(at) - piece_.data()) : len;
                if (to > from) item_chars(from, to - from);
                if (to == len) break;
                delimiter();
                from = to;
            }
        } else {
            for (std::size_t k = 0; k < len && nspans <= most_; ++k) {
                const char c = piece_[k];
                if (c == '"') {
                    quoted = !quoted;
                    continue;
                }
                if ((c == ' ' || c == '\t') && !layout_.delimited) {
                    // Space layout: a run of blanks and tabs is one separator.
                    if (quoted) continue;
                    if (in_item) {
                        end_item();
                        prev = Prev::blank;
                    }
                    continue;
                }
                if (c == '\t') {
                    // A tab always ends the current item, even an empty one.
                    if (in_item) end_item();
                    else empty_item(layout_.delim == '\t' ? "-1" : "");
                    if (layout_.delim == '\t') rec.delim_seen = true;
                    prev = Prev::delim;
                    continue;
                }
                if (layout_.delimited) {
                    if (c == ' ') continue;
                    if (c == layout_.delim) {
                        if (!quoted) delimiter();
                        continue;
                    }
                }
                // The run of item characters from here.
                std::size_t end = k + 1;
                while (end < len && plain(piece_[end])) ++end;
                item_chars(k, end - k);
                k = end - 1;
            }
        }
        if (nspans > most_) {
            // More items than the caller can take: the record ends here.
            if (!last) in_.skip_record();
            rec.line = in_.next_record_number() - 1;
            return finish();
        }
        if (!last) continue;
        // End of the line.
        rec.line = in_.next_record_number() - 1;
        if (!in_item) return finish(); // after a separator, or an empty line
        end_item();
        if (static_cast<int>(nspans) >= expected_) return finish();
        // Too few items: the record goes on with the next line.
        quoted = false;
        prev = Prev::line_end;
    }
}

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The correctly rounded value of a number text in the library's form.
bool convert(std::string_view text, bool negative_exponent, double& x)
{
    const auto r = std::from_chars(text.data(), text.data() + text.size(), x);
    if (r.ptr != text.data() + text.size()) return false;
    if (r.ec == std::errc::result_out_of_range) {
        // Too small to be held is zero; too large is not a number.
        if (!negative_exponent) return false;
        x = 0;
        return true;
    }
    return r.ec == std::errc();
}

// Reads an item that begins with a digit or a point as a list-directed read
// takes a number: digits with at most one point, then optionally E or D (either
// case), an optional sign and digits. Short numbers without an exponent are made
// from an exact integer and an exact power of ten (one correctly rounded
// division); others go through the library conversion, so every value is the
// correctly rounded one.
bool read_number(std::string_view text, double& x, int& digits)
{
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::uint64_t mant = 0;
    int decimals = 0;
    digits = 0;
    bool point = false;
    std::size_t k = 0;
    for (; k < text.size(); ++k) {
        const char c = text[k];
        if (is_digit(c)) {
            mant = mant * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            if (point) ++decimals;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (k == text.size()) {
        if (digits <= 15) {
            x = decimals == 0 ? static_cast<double>(mant) : static_cast<double>(mant) / kPow10[decimals];
            return true;
        }
        return convert(text, false, x);
    }
    const char e = text[k];
    if (e != 'e' && e != 'E' && e != 'd' && e != 'D') return false;
    std::size_t j = k + 1;
    const bool negative = j < text.size() && text[j] == '-';
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t first = j;
    while (j < text.size() && is_digit(text[j])) ++j;
    if (j == first || j != text.size()) return false;
    std::string form(text);
    form[k] = 'e';
    return convert(form, negative, x);
}

} // namespace

namespace {

// Whether an item is a number that single precision holds: its value and digits.
bool is_number(std::string_view text, bool open_quote, double& x, int& digits)
{
    if (open_quote || text.empty()) return false;
    const bool starts = is_digit(text[0]) || (text[0] == '.' && text.size() > 1 && text[1] != ' ');
    return starts && read_number(text, x, digits) && x <= static_cast<double>(std::numeric_limits<float>::max());
}

} // namespace

ItemValue decode_item(std::string_view text, bool open_quote)
{
    ItemValue v;
    if (text.empty()) return v; // an empty field is missing
    const char first = text.front();
    double x = 0;
    int digits = 0;
    if (is_number(text, open_quote, x, digits)) {
        v.kind = ItemKind::number;
        v.value = x;
        v.digits = digits;
        return v;
    }
    v.negative = first == '-' && is_number(text.substr(1), open_quote, x, digits);
    if (first == '-' || first == '#' || first == '.' || first == '?') return v;
    const char up = (first >= 'a' && first <= 'z') ? static_cast<char>(first - 'a' + 'A') : first;
    v.ch = up;
    const int code = charcode(up);
    if (code <= 35) {
        v.kind = ItemKind::character;
        v.value = code;
    } else {
        v.kind = ItemKind::inadmissible;
    }
    return v;
}

} // namespace meru::files
