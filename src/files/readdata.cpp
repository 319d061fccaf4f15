#include "files/readdata.h"

#include "core/services.h"
#include "files/attributes.h"
#include "files/charcodes.h"
#include "files/fixedread.h"
#include "files/splitrec.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/iostat.h"
#include "platform/io/listread.h"
#include "platform/io/records.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace meru::files {

void VariableMarks::reset(int nv)
{
    const std::size_t n = static_cast<std::size_t>(nv < 0 ? 0 : nv) + 1;
    charflag.assign(n, 0);
    numflag.assign(n, 0);
    smallint.assign(n, 1);
    cattext.assign(n, {});
    catcount.assign(n, {});
    negatives.assign(n, 0);
}

int frequency_weight(double value, std::string_view text, long long line, ReadDataResult& r)
{
    using Kind = ReadNote::Kind;
    const auto keep = [&](Kind kind) {
        ReadNote& n = r.notes.emplace_back(kind);
        n.line = line;
        n.text = text;
    };
    if (value < 0 || value >= static_cast<double>(std::numeric_limits<int>::max()) + 1.0) {
        ++r.frequency_refused;
        keep(value < 0 ? Kind::frequency_negative : Kind::frequency_too_large);
        return 0;
    }
    const double whole = std::trunc(value);
    if (whole != value && r.frequency_not_whole++ == 0) keep(Kind::frequency_not_whole);
    return static_cast<int>(whole);
}

int data_variable_count(const VariableTable& v) { return v.nvar - (v.ivar > 0 ? 1 : 0) - (v.rvar > 0 ? 1 : 0); }

DataShape observation_shape(const ControlTables& t, int n)
{
    return DataShape{n, t.dims.nv, t.dims.lc, t.vars.nvar, t.natt, t.vars.hasid || t.vars.hasfreq};
}

namespace {

// A ":" or "/", as in 12/3 or 10:30.
bool has_date_mark(std::string_view s)
{
    for (const char c : s)
        if (c == ':' || c == '/') return true;
    return false;
}

bool has_month(std::string_view s)
{
    static constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (auto m : kMonths)
        if (s.find(m) != std::string_view::npos) return true;
    return false;
}

// True when the number written as `text` (with `digits` digits before any
// exponent) has more significant digits than the single-precision value held
// for it keeps: 123456789 is held as 123456792, while 30.2 is held as the nearest
// value, which reads back as 30.2.
bool precision_lost(std::string_view text, int digits, double read, float held)
{
    if (static_cast<double>(held) == read || digits <= 6) return false;
    int significant = 0;
    bool leading = true;
    int trailing_zeros = 0;
    bool after_point = false;
    for (const char c : text) {
        if (c == '.') {
            after_point = true;
            continue;
        }
        if (c == 'e' || c == 'E' || c == 'd' || c == 'D') break; // the exponent
        if (c < '0' || c > '9') continue;
        if (leading && c == '0') continue;
        leading = false;
        ++significant;
        trailing_zeros = (after_point && c == '0') ? trailing_zeros + 1 : 0;
    }
    if (significant - trailing_zeros <= 6) return false;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, held);
    double back = 0;
    std::from_chars(buf, res.ptr, back);
    return back != read;
}

// Reads the records of a free-format file into the data arrays.
class FreeReader {
public:
    FreeReader(ControlTables& t, DataArrays& d, io::RecordReader& in, ReadDataResult& r, int ndata)
        : t_(t), d_(d), r_(r), ndata_(ndata), expected_(ndata + (t.vars.hasid ? 1 : 0) + (t.vars.hasfreq ? 1 : 0)),
          // Beyond the variable dimension a record is abandoned: no more items are kept.
          splitter_(in, free_layout(t.format), expected_, expected_ - ndata + t.dims.nv), columns_(d.columns()),
          row_(static_cast<std::size_t>(std::max(columns_, ndata)) + 1, kMissing)
    {}

    enum class Status { record, end_of_file, abandoned };

    // Reads one record into observation i; sets its weight.
    Status read(int i)
    {
        // The record's values gather in row_ and go to the data matrix at its end.
        std::fill_n(row_.begin() + 1, ndata_, kMissing);
        last_ = std::min(ndata_, columns_);
        set_id(i, {});
        d_.obswt[static_cast<std::size_t>(i - 1)] = 0;
        for (;;) {
            splitter_.next(rec_);
            if (rec_.count > 0) break;
            if (rec_.eof) return Status::end_of_file;
            // An empty line: the next line is read into the same observation.
        }
        if (t_.format.comma || t_.format.tab) {
            if (!rec_.delim_seen && r_.nodelim_records++ == 0) r_.notes.emplace_back(ReadNote::Kind::no_delimiter, i);
        }
        if (rec_.count > expected_) ++r_.extra_item_records;
        if (t_.vars.hasfreq && !t_.vars.hasid) set_id(i, io::fmt_i(i, 6));
        long long weight = t_.vars.hasfreq ? -1 : 1;
        int var = 0;
        ItemKind prev_kind = ItemKind::missing;
        bool prev_seen = false;
        for (int f = 1; f <= rec_.count; ++f) {
            const Item& item = rec_.items[static_cast<std::size_t>(f - 1)];
            if (t_.vars.hasid && f == t_.vars.idcol) {
                set_id(i, item.text.substr(0, kNameLen));
                continue;
            }
            if (t_.vars.hasfreq && f == t_.vars.freqcol) {
                weight = frequency(item.text, rec_.line);
                continue;
            }
            if (++var > t_.dims.nv) {
                r_.abandon = true;
                r_.abandon_line = rec_.line;
                return Status::abandoned;
            }
            const ItemValue v = decode_item(item.text, item.open_quote);
            // Possible dates: "12/3" or "10:30" after a number, "Jan" after a word.
            if (prev_seen && v.kind != ItemKind::number) {
                if (prev_kind == ItemKind::number && has_date_mark(item.text)) r_.maybe_date = true;
                else if (prev_kind == ItemKind::character && has_month(item.text)) r_.maybe_date = true;
            }
            prev_kind = v.kind;
            prev_seen = true;
            store(i, var, item.text, v);
        }
        if (weight < 0) weight = bad_frequency();
        d_.obswt[static_cast<std::size_t>(i - 1)] = static_cast<int>(weight);
        for (int j = 1; j <= last_; ++j) d_.x(i, j) = row_[static_cast<std::size_t>(j)];
        return Status::record;
    }

    bool eof() const { return rec_.eof; }
    // The value of variable j in the record last read.
    float value(int j) const { return row_[static_cast<std::size_t>(j)]; }

private:
    // The identifier of observation i, when identifiers are kept.
    void set_id(int i, std::string_view id)
    {
        if (static_cast<std::size_t>(i - 1) < d_.obsid.size()) d_.obsid[static_cast<std::size_t>(i - 1)] = id;
    }

    long long frequency(std::string_view text, long long line)
    {
        const auto v = io::list_read_real(text);
        if (!v || std::isnan(*v)) return bad_frequency();
        return frequency_weight(*v, text, line, r_);
    }

    long long bad_frequency()
    {
        ++r_.bad_frequency;
        r_.notes.emplace_back(ReadNote::Kind::bad_frequency);
        return 0;
    }

    void store(int i, int var, std::string_view text, const ItemValue& v)
    {
        float stored = kMissing;
        switch (v.kind) {
        case ItemKind::number: {
            stored = static_cast<float>(v.value);
            r_.marks.numflag[static_cast<std::size_t>(var)] = 1;
            if (v.value > 0 && precision_lost(text, v.digits, v.value, stored) && r_.precision_lost++ == 0) {
                ReadNote& n = r_.notes.emplace_back(ReadNote::Kind::precision_lost, i, var);
                n.read = v.value;
                n.held = stored;
            }
            break;
        }
        case ItemKind::missing:
            if (v.negative && var <= ndata_) ++r_.marks.negatives[static_cast<std::size_t>(var)];
            break;
        case ItemKind::character:
            // Held as minus the state code until the file is read (-0 for "0").
            stored = -static_cast<float>(v.value);
            r_.marks.charflag[static_cast<std::size_t>(var)] = 1;
            break;
        case ItemKind::inadmissible:
            // Missing; never a state.
            if (r_.inadmissible++ < kMaxInadmissibleNoted)
                r_.notes.emplace_back(ReadNote::Kind::inadmissible, i, var).ch = v.ch;
            break;
        }
        // Items beyond the variables listed are read and noted, but have no column.
        if (var <= columns_) {
            row_[static_cast<std::size_t>(var)] = stored;
            last_ = std::max(last_, var);
        }
        if (r_.marks.charflag[static_cast<std::size_t>(var)] && stored != kMissing) {
            const double mag = std::fabs(static_cast<double>(stored));
            if (mag < kCategories) {
                const auto k = static_cast<std::size_t>(mag);
                auto& cat = r_.marks.cattext[static_cast<std::size_t>(var)][k];
                auto& cnt = r_.marks.catcount[static_cast<std::size_t>(var)][k];
                if (cnt == 0) {
                    cat = text;
                    cnt = 1;
                } else if (cat != text) {
                    ++cnt;
                }
            }
        }
    }

    ControlTables& t_;
    DataArrays& d_;
    ReadDataResult& r_;
    int ndata_;
    int expected_;
    FreeSplitter splitter_;
    FreeRecord rec_;
    int columns_;            // data-matrix columns held
    std::vector<float> row_; // [j]: the value of variable j in the record being read
    int last_ = 0;           // the last variable of row_ that the record sets
};

void show_status(ReadDataContext& cx, int nread, int n)
{
    cx.msgline = "... " + io::fmt_i(nread, 6) + "(" + io::fmt_f(n > 0 ? 100.0 * nread / n : 0.0, 5, 1) +
                 "%) records read, attribute creating";
    cx.sv.thinking(cx.msgline, true);
    cx.sv.yield();
}

// Missing check of one record: the weight of every missing value is missing; a
// record with nothing but missing values is all-missing and gets weight 0. Until
// the file is read, a variable with character data holds its states as negative
// codes, so there only the missing mark itself counts.
// `value(j)` gives the record's value of variable j.
template <class Value> void missing_check(DataArrays& d, ReadDataResult& r, int i, int ndata, const Value& value)
{
    int& w = d.obswt[static_cast<std::size_t>(i - 1)];
    long long miss = 0;
    bool all = ndata > 0;
    for (int j = 1; j <= ndata; ++j) {
        const float v = value(j);
        if (v == kMissing || (!r.marks.charflag[static_cast<std::size_t>(j)] && v < 0)) miss += w;
        else all = false;
    }
    if (miss > 0) {
        ++r.incomplete;
        // A record with every value missing loses its weight: its values count
        // in no share.
        if (!all) r.missing_total += miss;
    }
    if (all) {
        w = 0;
        r.last_missed = i;
        ++r.allmissing;
    }
    r.nobsin += w;
}

// Counts the variables with character data only and those with numbers too.
void count_character_variables(ReadDataResult& r, int ndata)
{
    for (int j = 1; j <= ndata; ++j) {
        if (!r.marks.charflag[static_cast<std::size_t>(j)]) continue;
        if (r.marks.numflag[static_cast<std::size_t>(j)]) ++r.mixed_vars;
        else ++r.char_vars;
    }
}

// Whether the first record of a free-format file, whose names the control file
// lists, is a header: its items, quotes dropped and compared without regard to
// case, are the listed names in order (with _id_ and _freq_ where they stand).
// The record is read in pieces and only until an item differs, so a long first
// line costs no more memory than a short one. The reader is left after the
// header, or at the start when it is data.
bool first_record_is_header(const ControlTables& t, io::RecordReader& in)
{
    std::vector<std::string> names;
    for (int k = 1; k <= t.vars.nvar; ++k) names.push_back(upper(trim(t.vars.varname[static_cast<std::size_t>(k)])));
    std::vector<std::pair<int, std::string>> special;
    if (t.vars.hasid) special.emplace_back(t.vars.idcol, "_ID_");
    if (t.vars.hasfreq) special.emplace_back(t.vars.freqcol, "_FREQ_");
    std::sort(special.begin(), special.end());
    for (const auto& [col, name] : special)
        names.insert(names.begin() + std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(names.size()), col - 1),
                     name);
    const char delim = free_layout(t.format).delim;
    bool same = !names.empty();
    std::size_t items = 0; // items met, each equal to its name
    std::string cur;       // the item being read, cut to a name's length
    bool in_item = false;
    const auto end_item = [&] {
        if (!in_item) return;
        same = items < names.size() && upper(cur) == names[items];
        ++items;
        cur.clear();
        in_item = false;
    };
    std::string piece;
    bool last = false;
    while (same && !last && in.read_piece(piece, FreeSplitter::kPiece, last) == io::kOk) {
        for (std::size_t k = 0; k < piece.size() && same; ++k) {
            const char c = piece[k];
            if (c == '"') continue;
            if (c == delim || c == ' ' || c == '\t' || c == ',') {
                end_item();
            } else {
                in_item = true;
                if (cur.size() < static_cast<std::size_t>(kNameLen)) cur.push_back(c);
            }
        }
    }
    if (same && last) end_item();
    if (same && last && items == names.size()) return true;
    in.rewind();
    return false;
}

} // namespace

// First character of the list-directed form of a non-negative number, as a state
// code: 7.5 gives 7, 12 gives 1.
int leading_digit_code(float value)
{
    const std::string s = io::list_real(value);
    for (const char c : s)
        if (c != ' ') return charcode(c);
    return 100;
}

void convert_character_variables(DataArrays& d, const VariableMarks& m, int nobs, int ndata)
{
    for (int j = 1; j <= ndata; ++j) {
        if (!m.charflag[static_cast<std::size_t>(j)]) continue;
        const bool mixed = m.numflag[static_cast<std::size_t>(j)];
        for (int i = 1; i <= nobs; ++i) {
            float& v = d.x(i, j);
            if (v == kMissing) continue;
            if (std::signbit(v)) {
                v = -v; // a state read as a character
            } else if (mixed) {
                const int code = leading_digit_code(v);
                v = code <= 35 ? static_cast<float>(code) : kMissing;
            } else {
                v = kMissing;
            }
        }
    }
}

ReadDataResult readdata(ControlTables& t, DataArrays& d, io::RecordReader& in, int nexpected, bool& novalid,
                        ReadDataContext& cx)
{
    ReadDataResult r;
    const int ndata = std::max(0, data_variable_count(t.vars));
    r.marks.reset(std::max(t.dims.nv, t.vars.nvar));
    for (auto& a : t.att) a.signbyte = 1;
    if (novalid) return r;
    r.read_run = true;
    const int n = std::min(nexpected, d.n);
    int header = 0;
    if (t.vars.names_from_data) {
        if (in.skip_record() == io::kOk) header = 1;
    } else if (t.format.freefmt && first_record_is_header(t, in)) {
        header = 1;
        r.header_skipped = true;
        r.notes.emplace_back(ReadNote::Kind::header_skipped);
    }
    const int step = std::max(500, static_cast<int>(std::pow(10.0, std::floor(std::log10(std::max(1, n)))) / 100));
    const bool free = t.format.freefmt;
    if (free) {
        FreeReader reader(t, d, in, r, ndata);
        while (r.nread < n) {
            const int i = r.nread + 1;
            const auto st = reader.read(i);
            if (st == FreeReader::Status::abandoned) {
                novalid = true;
                return r;
            }
            if (st == FreeReader::Status::end_of_file) break;
            r.nread = i;
            missing_check(d, r, i, ndata, [&](int j) { return reader.value(j); });
            if (r.nread % step == 0) show_status(cx, r.nread, n);
            if (reader.eof()) break;
        }
    } else {
        FixedReader reader(t, d, in, r, ndata);
        while (r.nread < n) {
            const int i = r.nread + 1;
            const auto st = reader.read(i);
            if (st == FixedReader::Status::end_of_file) break;
            if (st == FixedReader::Status::error) continue;
            r.nread = i;
            missing_check(d, r, i, ndata, [&](int j) { return d.x(i, j); });
            if (r.nread % step == 0) show_status(cx, r.nread, n);
        }
    }
    r.missing = r.incomplete > 0;
    r.expected = nexpected - header;
    if (r.nread == 0) {
        r.no_valid_data = true;
        novalid = true;
        return r;
    }
    if (free) count_character_variables(r, ndata);
    convert_character_variables(d, r.marks, r.nread, ndata);
    novalid = false;
    build_attributes(t, d, r, cx);
    return r;
}

} // namespace meru::files
