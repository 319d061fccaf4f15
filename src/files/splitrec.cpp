#include "files/splitrec.h"

#include "files/charcodes.h"
#include "platform/io/iostat.h"
#include "platform/io/records.h"

#include <charconv>
#include <cstdint>

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

FreeSplitter::FreeSplitter(io::RecordReader& in, FreeLayout layout, int expected)
    : in_(in), layout_(layout), expected_(expected)
{}

namespace {

// What the last character that counted was.
enum class Prev { start, item, blank, delim, line_end };

} // namespace

int FreeSplitter::next(FreeRecord& rec)
{
    rec.count = 0;
    rec.delim_seen = false;
    rec.eof = false;
    Prev prev = Prev::start;
    bool quoted = false;
    std::string* cur = nullptr; // the item being built, when one has begun
    auto slot = [&]() -> Item& {
        if (static_cast<int>(rec.items.size()) <= rec.count) rec.items.emplace_back();
        Item& it = rec.items[static_cast<std::size_t>(rec.count)];
        it.text.clear();
        it.open_quote = false;
        return it;
    };
    auto begin_item = [&] {
        Item& it = slot();
        cur = &it.text;
    };
    auto end_item = [&] {
        rec.items[static_cast<std::size_t>(rec.count)].open_quote = quoted;
        ++rec.count;
        cur = nullptr;
    };
    auto empty_item = [&](const char* text) {
        Item& it = slot();
        it.text = text;
        ++rec.count;
    };

    for (;;) {
        const int st = in_.read(line_);
        if (st != io::kOk) {
            rec.eof = true;
            return rec.count;
        }
        for (const char c : line_) {
            if (c == '"') {
                quoted = !quoted;
                continue;
            }
            if ((c == ' ' || c == '\t') && !layout_.delimited) {
                // Space layout: a run of blanks and tabs is one separator.
                if (quoted) continue;
                if (cur) {
                    end_item();
                    prev = Prev::blank;
                }
                continue;
            }
            if (c == '\t') {
                // A tab always ends the current item, even an empty one.
                if (cur) end_item();
                else empty_item(layout_.delim == '\t' ? "-1" : "");
                if (layout_.delim == '\t') rec.delim_seen = true;
                prev = Prev::delim;
                continue;
            }
            if (layout_.delimited) {
                if (c == ' ') continue;
                if (c == layout_.delim) {
                    if (quoted) continue;
                    rec.delim_seen = true;
                    if (cur) end_item();
                    else if (prev == Prev::delim || prev == Prev::start) empty_item("-1");
                    prev = Prev::delim;
                    continue;
                }
            }
            if (!cur) begin_item();
            if (cur->size() < static_cast<std::size_t>(30)) cur->push_back(c);
            prev = Prev::item;
        }
        // End of the line.
        if (!cur) return rec.count; // after a separator, or an empty line
        end_item();
        if (rec.count >= expected_) return rec.count;
        // Too few items: the record goes on with the next line.
        quoted = false;
        prev = Prev::line_end;
    }
}

namespace {

// Reads digits with at most one point as a number, exactly as a correctly
// rounded conversion does. Short numbers are made from an exact integer and an
// exact power of ten (one correctly rounded division); longer ones go through
// the library conversion.
bool parse_decimal(std::string_view text, double& x)
{
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::uint64_t mant = 0;
    int digits = 0, decimals = 0, points = 0;
    for (const char c : text) {
        if (c == '.') {
            if (++points > 1) return false;
            continue;
        }
        if (c < '0' || c > '9') return false;
        mant = mant * 10 + static_cast<std::uint64_t>(c - '0');
        ++digits;
        if (points) ++decimals;
    }
    if (digits == 0) return false;
    if (digits <= 15) {
        x = static_cast<double>(mant) / kPow10[decimals];
        return true;
    }
    const auto r = std::from_chars(text.data(), text.data() + text.size(), x);
    return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

} // namespace

ItemValue decode_item(std::string_view text, bool open_quote)
{
    ItemValue v;
    if (text.empty()) return v; // an empty field is missing
    const char first = text.front();
    if (!open_quote && first != '?' && first != '-') {
        bool only = true;
        for (const char c : text)
            if (!((c >= '0' && c <= '9') || c == '.' || c == ' ')) {
                only = false;
                break;
            }
        const bool starts = (first >= '0' && first <= '9') || (first == '.' && text.size() > 1 && text[1] != ' ');
        if (only && starts) {
            double x = 0;
            if (parse_decimal(text, x)) {
                v.kind = ItemKind::number;
                v.value = x;
                return v;
            }
        }
    }
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
