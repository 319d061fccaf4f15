#include "platform/io/format.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>

#include "platform/io/edit.h"
#include "platform/io/iostat.h"
#include "platform/io/listread.h"

namespace meru::io {

namespace {

using Kind = FormatNode::Kind;

// Guards against format texts such as "(99999(99999X),I1)": the items carried out
// between two values, and the length of a written record, are bounded.
constexpr long long kMaxControlSteps = 200'000;
constexpr std::size_t kMaxRecordLength = 1u << 20;
constexpr std::size_t kMaxRecords = 100'000;
// Groups are read recursively; a text of thousands of "(" must not exhaust the stack.
constexpr int kMaxGroupDepth = 100;

class FormatParser {
public:
    explicit FormatParser(std::string_view t) : t_(t) {}

    bool parse(FormatNode& root)
    {
        skip_blanks();
        if (!take('(')) return false;
        root.kind = Kind::Group;
        root.repeat = 1;
        return parse_list(root); // what follows the closing parenthesis is ignored
    }

private:
    void skip_blanks()
    {
        while (pos_ < t_.size() && (t_[pos_] == ' ' || t_[pos_] == '\t')) ++pos_;
    }
    bool at_end() const { return pos_ >= t_.size(); }
    char peek()
    {
        skip_blanks();
        return at_end() ? '\0' : static_cast<char>(std::toupper(static_cast<unsigned char>(t_[pos_])));
    }
    bool take(char c)
    {
        if (peek() != c) return false;
        ++pos_;
        return true;
    }
    // An unsigned decimal number (blanks inside are ignored, as in a format).
    std::optional<int> number()
    {
        skip_blanks();
        if (at_end() || !std::isdigit(static_cast<unsigned char>(t_[pos_]))) return std::nullopt;
        long long v = 0;
        while (true) {
            skip_blanks();
            if (at_end() || !std::isdigit(static_cast<unsigned char>(t_[pos_]))) break;
            v = v * 10 + (t_[pos_] - '0');
            if (v > 1000000) return std::nullopt;
            ++pos_;
        }
        return static_cast<int>(v);
    }

    bool parse_list(FormatNode& group)
    {
        bool need_item = false; // after a comma an item must follow
        while (true) {
            const char c = peek();
            if (c == '\0') return false;
            if (c == ')') {
                ++pos_;
                return !need_item;
            }
            if (c == ',') {
                if (need_item || group.items.empty()) return false;
                ++pos_;
                need_item = true;
                continue;
            }
            if (!parse_item(group)) return false;
            need_item = false;
        }
    }

    bool parse_item(FormatNode& group)
    {
        FormatNode n;
        const auto rep = number();
        if (rep && *rep < 1) return false;
        n.repeat = rep.value_or(1);
        const char c = peek();
        if (c == '\0') return false;
        ++pos_;
        switch (c) {
        case '(':
            n.kind = Kind::Group;
            if (++depth_ > kMaxGroupDepth) return false;
            if (!parse_list(n)) return false;
            --depth_;
            break;
        case '/': n.kind = Kind::Slash; break;
        case '\'':
        case '"':
            if (rep) return false;
            n.kind = Kind::Literal;
            if (!literal(c, n.literal)) return false;
            break;
        case ':':
            if (rep) return false;
            n.kind = Kind::Colon;
            break;
        case 'I': {
            n.kind = Kind::I;
            const auto w = number();
            if (!w || *w < 1) return false;
            n.w = *w;
            if (take('.') && !number()) return false; // Iw.m: the minimum digits are not needed
            break;
        }
        case 'F':
        case 'E':
        case 'D':
        case 'G': {
            n.kind = c == 'F' ? Kind::F : c == 'E' ? Kind::E : c == 'D' ? Kind::D : Kind::G;
            const auto w = number();
            if (!w || *w < 1 || !take('.')) return false;
            const auto d = number();
            if (!d) return false;
            n.w = *w;
            n.d = *d;
            // An exponent width (Ew.dEe) is not written as asked: refused, not ignored.
            if ((c == 'E' || c == 'G') && peek() == 'E') return false;
            break;
        }
        case 'A': {
            n.kind = Kind::A;
            const auto w = number();
            if (w && *w < 1) return false;
            n.w = w.value_or(-1);
            break;
        }
        case 'L':
        case 'Z': {
            n.kind = c == 'L' ? Kind::L : Kind::Z;
            const auto w = number();
            if (!w || *w < 1) return false;
            n.w = *w;
            break;
        }
        case 'X':
            n.kind = Kind::X;
            n.w = n.repeat;
            n.repeat = 1;
            break;
        case 'T': {
            n.kind = take('L') ? Kind::TL : take('R') ? Kind::TR : Kind::T;
            if (rep) return false;
            const auto w = number();
            if (!w || *w < 1) return false;
            n.w = *w;
            break;
        }
        case 'B':
            if (rep) return false;
            if (take('N')) n.kind = Kind::BN;
            else if (take('Z')) n.kind = Kind::BZ;
            else return false;
            break;
        default: return false;
        }
        group.items.push_back(std::move(n));
        return true;
    }

    bool literal(char quote, std::string& out)
    {
        while (pos_ < t_.size()) {
            const char c = t_[pos_++];
            if (c == quote) {
                if (pos_ < t_.size() && t_[pos_] == quote) {
                    out.push_back(quote);
                    ++pos_;
                    continue;
                }
                return true;
            }
            out.push_back(c);
        }
        return false;
    }

    std::string_view t_;
    std::size_t pos_ = 0;
    int depth_ = 0; // groups open around the item being read
};

bool any_data(const FormatNode& g)
{
    for (const auto& n : g.items)
        if (n.is_data() || (n.kind == Kind::Group && any_data(n))) return true;
    return false;
}

// Says whether g holds nothing but groups, and empties every such group below
// it: walking one gives no item, yet its nested repeats multiply into as many
// turns of the cursor. The groups themselves stay, so the reversion point does
// not move.
bool hollow_out(FormatNode& g)
{
    bool hollow = true;
    for (auto& n : g.items) {
        if (n.kind == Kind::Group && hollow_out(n))
            n.items.clear();
        else
            hollow = false;
    }
    return hollow;
}

bool is_real_kind(Kind k) { return k == Kind::F || k == Kind::E || k == Kind::D || k == Kind::G; }

// Blank handling of a numeric input field: BN drops blanks, BZ reads them as zeros
// (leading blanks excepted).
std::string numeric_text(std::string_view field, bool blank_zero)
{
    std::string s;
    bool leading = true;
    for (char c : field) {
        if (c == '\t') c = ' ';
        if (c == ' ') {
            if (blank_zero && !leading) s.push_back('0');
            continue;
        }
        leading = false;
        s.push_back(c);
    }
    return s;
}

// A real from a numeric input field with d implied decimals when no point is written.
std::optional<double> real_field(std::string_view field, int d, bool blank_zero)
{
    const std::string s = numeric_text(field, blank_zero);
    if (s.empty()) return 0.0;
    std::size_t i = 0;
    std::string sign;
    if (s[0] == '+' || s[0] == '-') {
        sign = s.substr(0, 1);
        i = 1;
    }
    std::size_t j = i;
    while (j < s.size() && (std::isdigit(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
    std::string mant = s.substr(i, j - i);
    const std::string rest = s.substr(j);
    if (mant.empty() && rest.empty()) return std::nullopt;
    if (mant.find('.') == std::string::npos && !mant.empty() && d > 0) {
        if (mant.size() < static_cast<std::size_t>(d)) mant.insert(0, static_cast<std::size_t>(d) - mant.size(), '0');
        mant.insert(mant.size() - static_cast<std::size_t>(d), ".");
    }
    if (mant.empty()) return std::nullopt; // no digits: no number
    return parse_real(sign + mant + rest);
}

std::optional<long long> parse_hex(std::string_view s)
{
    unsigned long long v = 0;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), v, 16);
    if (res.ptr != s.data() + s.size() || res.ec != std::errc() ||
        v > static_cast<unsigned long long>(std::numeric_limits<long long>::max()))
        return std::nullopt;
    return static_cast<long long>(v);
}

std::string hex_field(long long value, int w)
{
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, static_cast<unsigned long long>(value), 16);
    std::string s(buf, res.ptr);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (s.size() > static_cast<std::size_t>(w)) return " " + s; // widened, as the edit descriptors widen
    return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

std::size_t add_sat(std::size_t a, std::size_t b) { return a > SIZE_MAX - b ? SIZE_MAX : a + b; }
std::size_t times_sat(std::size_t a, std::size_t b) { return b != 0 && a > SIZE_MAX / b ? SIZE_MAX : a * b; }

// The columns that one walk of g's items moves on at most (`advance`), and the
// furthest column a T item of it moves to (`tab`).
void reach(const FormatNode& g, std::size_t unsized, std::size_t& advance, std::size_t& tab)
{
    for (const auto& n : g.items) {
        std::size_t step = 0;
        if (n.kind == Kind::Group) reach(n, unsized, step, tab);
        else if (n.kind == Kind::T) tab = std::max(tab, static_cast<std::size_t>(std::max(n.w, 0)));
        else if (n.kind == Kind::X || n.kind == Kind::TR) step = static_cast<std::size_t>(std::max(n.w, 0));
        else if (n.kind == Kind::Literal) step = n.literal.size();
        else if (n.is_data()) step = n.w < 0 ? unsized : static_cast<std::size_t>(n.w);
        advance = add_sat(advance, times_sat(static_cast<std::size_t>(std::max(n.repeat, 1)), step));
    }
}

} // namespace

std::size_t Format::record_reach(std::size_t unsized) const
{
    // Within a record the position is at most the furthest T column plus every
    // step of one walk of the format: a "/" or the start again takes a new record.
    std::size_t advance = 0, tab = 0;
    reach(root_, unsized, advance, tab);
    return add_sat(advance, tab);
}

int Format::parse(std::string_view text)
{
    root_ = FormatNode{};
    valid_ = false;
    has_data_ = false;
    reversion_ = 0;
    FormatParser p(text);
    FormatNode root;
    if (!p.parse(root)) return kErrBadFormat;
    root_ = std::move(root);
    hollow_out(root_);
    for (std::size_t i = 0; i < root_.items.size(); ++i)
        if (root_.items[i].kind == Kind::Group) reversion_ = i;
    has_data_ = any_data(root_);
    valid_ = true;
    return kOk;
}

namespace detail {

FormatCursor::FormatCursor(const Format& f) : format_(f) { stack_.push_back({&format_.root(), 0, 1}); }

const FormatNode* FormatCursor::next()
{
    while (true) {
        Frame& f = stack_.back();
        if (f.index >= f.group->items.size()) {
            if (f.pass < f.group->repeat) {
                ++f.pass;
                f.index = 0;
                continue;
            }
            if (stack_.size() == 1) return nullptr;
            stack_.pop_back();
            ++stack_.back().index;
            continue;
        }
        const FormatNode& n = f.group->items[f.index];
        if (n.kind == FormatNode::Kind::Group) {
            if (n.items.empty()) {
                ++f.index;
                continue;
            }
            stack_.push_back({&n, 0, 1});
            continue;
        }
        if (item_done_ >= n.repeat) {
            item_done_ = 0;
            ++f.index;
            continue;
        }
        ++item_done_;
        return &n;
    }
}

void FormatCursor::revert()
{
    stack_.assign(1, {&format_.root(), format_.reversion_index(), 1});
    item_done_ = 0;
}

} // namespace detail

// ---------------------------------------------------------------- reading

FormattedReader::FormattedReader(const Format& format, RecordSource source)
    : format_(format), cursor_(format), source_(std::move(source))
{
    if (!format_.valid()) status_ = kErrBadFormat;
}

int FormattedReader::fail(int st)
{
    if (status_ == 0) status_ = st;
    return status_;
}

int FormattedReader::next_record()
{
    const int st = source_(record_);
    pos_ = 0;
    if (st != 0) {
        record_.clear();
        fail(st < 0 ? kEndOfFile : st);
    }
    return st;
}

const FormatNode* FormattedReader::next_data()
{
    if (status_ != 0) return nullptr;
    if (!started_) {
        started_ = true;
        if (next_record() != 0) return nullptr;
    }
    for (long long steps = 0;; ++steps) {
        if (steps > kMaxControlSteps) {
            fail(kErrBadFormat);
            return nullptr;
        }
        const FormatNode* n = cursor_.next();
        if (!n) {
            if (!format_.has_data()) {
                fail(kErrBadFormat);
                return nullptr;
            }
            if (next_record() != 0) return nullptr;
            cursor_.revert();
            continue;
        }
        switch (n->kind) {
        case Kind::X:
        case Kind::TR: pos_ += static_cast<std::size_t>(n->w); break;
        case Kind::T: pos_ = static_cast<std::size_t>(n->w - 1); break;
        case Kind::TL:
            pos_ = pos_ >= static_cast<std::size_t>(n->w) ? pos_ - static_cast<std::size_t>(n->w) : 0;
            break;
        case Kind::Slash:
            if (next_record() != 0) return nullptr;
            break;
        case Kind::Literal: pos_ += n->literal.size(); break;
        case Kind::BN: blank_zero_ = false; break;
        case Kind::BZ: blank_zero_ = true; break;
        case Kind::Colon:
        case Kind::Group: break;
        default: return n;
        }
    }
}

std::string FormattedReader::field(int w)
{
    std::string f;
    if (pos_ < record_.size()) f = record_.substr(pos_, static_cast<std::size_t>(w));
    f.resize(static_cast<std::size_t>(w), ' ');
    pos_ += static_cast<std::size_t>(w);
    return f;
}

int FormattedReader::read_real(double& value)
{
    bool missing = false;
    const int st = read_real_or_missing(value, missing);
    return missing ? fail(kErrBadInput) : st;
}

int FormattedReader::read_real_or_missing(double& value, bool& missing)
{
    missing = false;
    const FormatNode* n = next_data();
    if (!n) return status_;
    if (!is_real_kind(n->kind)) return fail(kErrBadInput);
    const std::string f = field(n->w);
    const std::string text = numeric_text(f, false);
    if (text == "." || text == "-" || text == "+") {
        missing = true;
        return kOk;
    }
    const auto v = real_field(f, n->d, blank_zero_);
    if (!v) return fail(kErrBadInput);
    value = *v;
    return kOk;
}

int FormattedReader::read_int(long long& value)
{
    const FormatNode* n = next_data();
    if (!n) return status_;
    if (n->kind != Kind::I && n->kind != Kind::G && n->kind != Kind::Z) return fail(kErrBadInput);
    const std::string s = numeric_text(field(n->w), blank_zero_);
    if (s.empty()) {
        value = 0;
        return kOk;
    }
    const auto v = n->kind == Kind::Z ? parse_hex(s) : parse_int(s);
    if (!v) return fail(kErrBadInput);
    value = *v;
    return kOk;
}

int FormattedReader::read_int(int& value)
{
    long long v = 0;
    const int st = read_int(v);
    if (st != kOk) return st;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) return fail(kErrBadInput);
    value = static_cast<int>(v);
    return kOk;
}

int FormattedReader::read_text(std::string& value, std::size_t length)
{
    const FormatNode* n = next_data();
    if (!n) return status_;
    if (n->kind != Kind::A && n->kind != Kind::G) return fail(kErrBadInput);
    const std::size_t w = n->w < 0 ? length : static_cast<std::size_t>(n->w);
    const std::string f = field(static_cast<int>(w));
    if (w >= length) value = f.substr(w - length);
    else value = f + std::string(length - w, ' ');
    return kOk;
}

int FormattedReader::read_logical(bool& value)
{
    const FormatNode* n = next_data();
    if (!n) return status_;
    if (n->kind != Kind::L && n->kind != Kind::G) return fail(kErrBadInput);
    const std::string f = field(n->w);
    std::size_t i = f.find_first_not_of(' ');
    if (i != std::string::npos && f[i] == '.') ++i;
    if (i == std::string::npos || i >= f.size()) return fail(kErrBadInput);
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(f[i])));
    if (c != 'T' && c != 'F') return fail(kErrBadInput);
    value = c == 'T';
    return kOk;
}

int FormattedReader::finish()
{
    if (status_ != 0) return status_;
    if (!started_) {
        started_ = true;
        if (next_record() != 0) return status_;
    }
    long long steps = 0;
    while (const FormatNode* n = cursor_.next()) {
        if (n->is_data() || n->kind == Kind::Colon) break;
        if (n->kind == Kind::Slash && next_record() != 0) break;
        if (++steps > kMaxControlSteps) return fail(kErrBadFormat);
    }
    return status_;
}

// ---------------------------------------------------------------- writing

FormattedWriter::FormattedWriter(const Format& format) : format_(format), cursor_(format)
{
    if (!format_.valid()) status_ = kErrBadFormat;
}

void FormattedWriter::put(std::string_view s)
{
    if (record_.size() < pos_ + s.size()) record_.resize(pos_ + s.size(), ' ');
    record_.replace(pos_, s.size(), s);
    pos_ += s.size();
}

void FormattedWriter::control(const FormatNode& n)
{
    switch (n.kind) {
    case Kind::X:
    case Kind::TR: pos_ += static_cast<std::size_t>(n.w); break;
    case Kind::T: pos_ = static_cast<std::size_t>(n.w - 1); break;
    case Kind::TL: pos_ = pos_ >= static_cast<std::size_t>(n.w) ? pos_ - static_cast<std::size_t>(n.w) : 0; break;
    case Kind::Slash:
        done_.push_back(std::move(record_));
        record_.clear();
        pos_ = 0;
        break;
    case Kind::Literal: put(n.literal); break;
    default: break;
    }
}

const FormatNode* FormattedWriter::next_data()
{
    if (status_ != 0) return nullptr;
    for (long long steps = 0;; ++steps) {
        if (steps > kMaxControlSteps) {
            status_ = kErrBadFormat;
            return nullptr;
        }
        if (pos_ > kMaxRecordLength || done_.size() > kMaxRecords) {
            status_ = kErrWrite;
            return nullptr;
        }
        const FormatNode* n = cursor_.next();
        if (!n) {
            if (!format_.has_data()) {
                status_ = kErrBadFormat;
                return nullptr;
            }
            done_.push_back(std::move(record_));
            record_.clear();
            pos_ = 0;
            cursor_.revert();
            continue;
        }
        if (n->is_data()) return n;
        control(*n);
    }
}

int FormattedWriter::write_real(double value)
{
    const FormatNode* n = next_data();
    if (!n) return status_;
    switch (n->kind) {
    case Kind::F: put(fmt_f(value, n->w, n->d)); break;
    case Kind::E: put(fmt_e(value, n->w, n->d)); break;
    case Kind::D: {
        std::string s = fmt_e(value, n->w, n->d);
        if (auto e = s.find('E'); e != std::string::npos) s[e] = 'D';
        put(s);
        break;
    }
    case Kind::G: put(fmt_g(value, n->w, n->d)); break;
    default: status_ = kErrBadInput; break;
    }
    return status_;
}

int FormattedWriter::write_int(long long value)
{
    const FormatNode* n = next_data();
    if (!n) return status_;
    if (n->kind == Kind::I || n->kind == Kind::G) put(fmt_i(value, n->w));
    else if (n->kind == Kind::Z && value >= 0) put(hex_field(value, n->w));
    else status_ = kErrBadInput;
    return status_;
}

int FormattedWriter::write_text(std::string_view value)
{
    const FormatNode* n = next_data();
    if (!n) return status_;
    if (n->kind == Kind::A || n->kind == Kind::G) put(n->w < 0 ? std::string(value) : fmt_a(value, n->w));
    else status_ = kErrBadInput;
    return status_;
}

int FormattedWriter::write_logical(bool value)
{
    const FormatNode* n = next_data();
    if (!n) return status_;
    if (n->kind == Kind::L || n->kind == Kind::G) put(fmt_l(value, n->w));
    else status_ = kErrBadInput;
    return status_;
}

int FormattedWriter::finish(std::vector<std::string>& records)
{
    records.clear();
    if (status_ != 0) return status_;
    long long steps = 0;
    while (const FormatNode* n = cursor_.next()) {
        if (n->is_data() || n->kind == Kind::Colon) break;
        control(*n);
        if (++steps > kMaxControlSteps) return status_ = kErrBadFormat;
        if (pos_ > kMaxRecordLength || done_.size() > kMaxRecords) return status_ = kErrWrite;
    }
    done_.push_back(std::move(record_));
    record_.clear();
    records = std::move(done_);
    done_.clear();
    return kOk;
}

namespace {

template <typename Write>
int write_one(std::string_view format_text, std::size_t length, std::string& out, Write write)
{
    Format f;
    if (f.parse(format_text) != kOk) return kErrBadFormat;
    FormattedWriter w(f);
    int st = write(w);
    std::vector<std::string> recs;
    if (st == kOk) st = w.finish(recs);
    if (st != kOk) return st;
    if (recs.size() != 1 || recs[0].size() > length) return kErrWrite;
    out = recs[0];
    out.resize(length, ' ');
    return kOk;
}

} // namespace

int write_with_format(std::string_view format_text, double value, std::size_t length, std::string& out)
{
    return write_one(format_text, length, out, [&](FormattedWriter& w) { return w.write_real(value); });
}

int write_with_format(std::string_view format_text, long long value, std::size_t length, std::string& out)
{
    return write_one(format_text, length, out, [&](FormattedWriter& w) { return w.write_int(value); });
}

} // namespace meru::io
