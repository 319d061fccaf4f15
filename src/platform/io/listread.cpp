#include "platform/io/listread.h"

#include <cctype>
#include <charconv>
#include <limits>
#include <string>

#include "platform/io/iostat.h"

namespace meru::io {

namespace {


bool is_digit(char c) { return c >= '0' && c <= '9'; }

// One item of a list: null, or a value text, with how often it stands.
struct Item {
    std::string_view text;
    bool null = false;
    long long repeat = 1;
    bool bad = false;
};

class ListScanner {
public:
    explicit ListScanner(std::string_view t) : t_(t) {}

    // False at the end of the text or at a "/".
    bool next(Item& item)
    {
        if (ended_) return false;
        // Blanks around one comma make one separator; a comma where a value was
        // expected (at the start, or after another comma) gives a null value.
        skip_blanks();
        if (at(',')) {
            ++pos_;
            bool null = need_value_;
            if (!null) {
                need_value_ = true;
                skip_blanks();
                if (at(',')) {
                    ++pos_;
                    null = true;
                }
            }
            if (null) {
                item = Item{};
                item.null = true;
                return true;
            }
        }
        if (pos_ >= t_.size()) return false;
        if (at('/')) {
            ended_ = true;
            return false;
        }
        const std::size_t start = pos_;
        while (pos_ < t_.size() && !is_sep(t_[pos_])) ++pos_;
        std::string_view tok = t_.substr(start, pos_ - start);
        need_value_ = false;
        item = Item{};
        const auto star = tok.find('*');
        if (star != std::string_view::npos) {
            auto r = parse_int(tok.substr(0, star));
            if (!r || *r < 1) {
                item.bad = true;
                return true;
            }
            item.repeat = *r;
            tok.remove_prefix(star + 1);
            if (tok.empty()) item.null = true;
        }
        item.text = tok;
        return true;
    }

private:
    bool at(char c) const { return pos_ < t_.size() && t_[pos_] == c; }
    static bool is_sep(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/' || c == '\r' || c == '\n'; }
    void skip_blanks()
    {
        while (pos_ < t_.size() && (t_[pos_] == ' ' || t_[pos_] == '\t' || t_[pos_] == '\r' || t_[pos_] == '\n'))
            ++pos_;
    }

    std::string_view t_;
    std::size_t pos_ = 0;
    bool ended_ = false;
    bool need_value_ = true;
};

template <typename T, typename Parse> int read_list(std::string_view text, std::span<T> out, Parse parse)
{
    ListScanner sc(text);
    std::size_t n = 0;
    Item item;
    while (n < out.size()) {
        if (!sc.next(item)) return kEndOfFile;
        if (item.bad) return kErrBadInput;
        std::optional<T> v;
        if (!item.null) {
            v = parse(item.text);
            if (!v) return kErrBadInput;
        }
        for (long long r = 0; r < item.repeat && n < out.size(); ++r, ++n)
            if (v) out[n] = *v;
    }
    return kOk;
}

} // namespace

std::optional<double> parse_real(std::string_view s)
{
    if (s.empty()) return std::nullopt;
    std::string_view body = s;
    bool neg = false;
    if (body.front() == '+' || body.front() == '-') {
        neg = body.front() == '-';
        body.remove_prefix(1);
    }
    // Mantissa.
    std::string norm;
    norm.reserve(s.size() + 2);
    if (neg) norm.push_back('-');
    std::size_t i = 0;
    int ndigits = 0;
    bool point = false;
    for (; i < body.size(); ++i) {
        const char c = body[i];
        if (is_digit(c)) {
            ++ndigits;
            norm.push_back(c);
        } else if (c == '.' && !point) {
            point = true;
            norm.push_back(c);
        } else {
            break;
        }
    }
    if (ndigits == 0) return std::nullopt;
    // Exponent.
    if (i < body.size()) {
        std::size_t j = i;
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(body[j])));
        if (c == 'E' || c == 'D' || c == 'Q') ++j;
        else if (c != '+' && c != '-') return std::nullopt;
        std::string exp;
        if (j < body.size() && (body[j] == '+' || body[j] == '-')) exp.push_back(body[j++]);
        const std::size_t first = j;
        while (j < body.size() && is_digit(body[j])) exp.push_back(body[j++]);
        if (j == first || j != body.size()) return std::nullopt;
        norm.push_back('e');
        norm += exp;
    }
    double v = 0;
    const char* b = norm.data();
    const char* e = norm.data() + norm.size();
    const auto res = std::from_chars(b, e, v);
    if (res.ptr != e) return std::nullopt;
    if (res.ec == std::errc::result_out_of_range) {
        // Too small to be held reads as zero; too large is no number.
        if (norm.find("e-") == std::string::npos) return std::nullopt;
        return neg ? -0.0 : 0.0;
    }
    return v;
}

std::optional<long long> parse_int(std::string_view s)
{
    if (s.empty()) return std::nullopt;
    bool neg = false;
    if (s.front() == '+' || s.front() == '-') {
        neg = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    unsigned long long u = 0;
    auto res = std::from_chars(s.data(), s.data() + s.size(), u);
    if (res.ptr != s.data() + s.size() || res.ec != std::errc()) return std::nullopt;
    constexpr auto maxpos = static_cast<unsigned long long>(std::numeric_limits<long long>::max());
    if (!neg && u > maxpos) return std::nullopt;
    if (neg && u > maxpos + 1) return std::nullopt;
    if (neg) return u == maxpos + 1 ? std::numeric_limits<long long>::min() : -static_cast<long long>(u);
    return static_cast<long long>(u);
}

int list_read(std::string_view text, std::span<double> out) { return read_list(text, out, parse_real); }
int list_read(std::string_view text, std::span<long long> out) { return read_list(text, out, parse_int); }
int list_read(std::string_view text, std::span<int> out)
{
    return read_list(text, out, [](std::string_view s) -> std::optional<int> {
        auto v = parse_int(s);
        if (!v || *v < std::numeric_limits<int>::min() || *v > std::numeric_limits<int>::max()) return std::nullopt;
        return static_cast<int>(*v);
    });
}

std::optional<double> list_read_real(std::string_view text)
{
    double v = 0;
    bool got = false;
    ListScanner sc(text);
    Item item;
    // A leading null value leaves nothing to return.
    if (!sc.next(item) || item.bad || item.null) return std::nullopt;
    auto r = parse_real(item.text);
    if (r) {
        v = *r;
        got = true;
    }
    return got ? std::optional<double>(v) : std::nullopt;
}

std::optional<long long> list_read_int(std::string_view text)
{
    ListScanner sc(text);
    Item item;
    if (!sc.next(item) || item.bad || item.null) return std::nullopt;
    return parse_int(item.text);
}

} // namespace meru::io
