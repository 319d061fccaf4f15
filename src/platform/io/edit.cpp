#include "platform/io/edit.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

#include "platform/io/decimal.h"

namespace meru::io {

namespace {

using detail::Decimal;

// A number right-aligned in w columns; one that does not fit is written whole
// after one blank, so that the field widens and the number stays apart from
// what precedes it.
std::string right(std::string s, int w)
{
    const auto uw = static_cast<std::size_t>(w > 0 ? w : 0);
    if (s.size() > uw) return " " + s;
    return std::string(uw - s.size(), ' ') + s;
}

// NaN and infinities: "NaN", "Infinity"/"Inf" with a sign when negative (or "+"
// when there is room for it).
std::string special(double v, int w)
{
    if (std::isnan(v)) return right("NaN", w);
    const bool neg = v < 0;
    if (w >= 9 || (w == 8 && !neg)) return right(neg ? "-Infinity" : "Infinity", w);
    if (w >= 4) return right(neg ? "-Inf" : "+Inf", w);
    return right(neg ? "-Inf" : "Inf", w);
}

// Integer and fractional digits of a value rounded to d decimals.
std::string fixed_body(const Decimal& r, int d, bool lead_zero)
{
    std::string s;
    for (int p = r.exp10 - 1; p >= 0; --p) s.push_back(detail::digit_at(r, p));
    if (s.empty() && lead_zero) s = "0";
    s.push_back('.');
    for (int p = -1; p >= -d; --p) s.push_back(detail::digit_at(r, p));
    return s;
}

// A value of 10^kFixedDigits or more that overflows an F field is shown in E
// form with kOverflowDigits significant digits.
constexpr int kFixedDigits = 15;
constexpr int kOverflowDigits = 6;

// The exponent always keeps its letter: "0.20798-186" reads as 0.2 less 186.
std::string exponent_text(int e)
{
    const int a = std::abs(e);
    const char sign = e < 0 ? '-' : '+';
    return std::string("E") + sign + (a < 10 ? "0" : "") + std::to_string(a);
}

// Shortest round-trip digits of |v| in fixed or scientific form.
template <typename Real> std::string shortest(Real v)
{
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v < 0 ? "-Infinity" : "Infinity";
    if (v == 0) return std::signbit(v) ? "-0.0" : "0.0";
    std::array<char, 64> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), v, std::chars_format::scientific);
    std::string_view s(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    std::string sign;
    if (s.front() == '-') {
        sign = "-";
        s.remove_prefix(1);
    }
    const auto epos = s.find('e');
    std::string digits;
    for (char c : s.substr(0, epos))
        if (c != '.') digits.push_back(c);
    const int e = std::atoi(std::string(s.substr(epos + 1)).c_str()); // v = d.ddd x 10^e
    std::string out;
    if (e >= -1 && e <= 8) {
        const int intdigits = e + 1;
        if (intdigits <= 0) {
            out = "0." + std::string(static_cast<std::size_t>(-intdigits), '0') + digits;
        } else {
            std::string ip =
                digits.substr(0, std::min<std::size_t>(digits.size(), static_cast<std::size_t>(intdigits)));
            ip.append(static_cast<std::size_t>(intdigits) - ip.size(), '0');
            std::string fp = digits.size() > static_cast<std::size_t>(intdigits)
                                 ? digits.substr(static_cast<std::size_t>(intdigits))
                                 : "0";
            out = ip + "." + fp;
        }
    } else {
        out = digits.substr(0, 1) + "." + (digits.size() > 1 ? digits.substr(1) : "0");
        const int a = std::abs(e);
        out += std::string("E") + (e < 0 ? "-" : "+") + (a < 10 ? "0" : "") + std::to_string(a);
    }
    return sign + out;
}

} // namespace

std::string fmt_i(long long value, int w)
{
    std::string s = std::to_string(value);
    return right(std::move(s), w);
}

std::string fmt_f(double value, int w, int d)
{
    if (!std::isfinite(value)) return special(value, w);
    if (d < 0) d = 0;
    const Decimal r = detail::round_decimals(detail::exact_decimal(value), d);
    const std::string sign = (value < 0 && !r.is_zero()) ? "-" : "";
    std::string s = sign + fixed_body(r, d, true);
    if (static_cast<int>(s.size()) > w && r.exp10 <= 0 && d > 0) s = sign + fixed_body(r, d, false);
    // Past the digits a double holds, a value too wide for its field is shown in
    // E form rather than as a long row of digits.
    if (static_cast<int>(s.size()) > w && r.exp10 > kFixedDigits) return fmt_e(value, 1, kOverflowDigits);
    return right(std::move(s), w);
}

std::string fmt_e(double value, int w, int d)
{
    if (!std::isfinite(value)) return special(value, w);
    if (d < 1) d = 1;
    const Decimal r = detail::round_significant(detail::exact_decimal(value), d);
    const std::string sign = (value < 0 && !r.is_zero()) ? "-" : "";
    std::string mant;
    for (int i = 0; i < d; ++i) mant.push_back(r.is_zero() ? '0' : r.digits[static_cast<std::size_t>(i)]);
    const std::string exp = exponent_text(r.is_zero() ? 0 : r.exp10);
    const std::string s = sign + "0." + mant + exp;
    if (static_cast<int>(s.size()) <= w) return right(s, w);
    // The zero goes first; a number that still does not fit widens its field.
    const std::string bare = sign + "." + mant + exp;
    return static_cast<int>(bare.size()) <= w ? right(bare, w) : right(s, w);
}

std::string fmt_g(double value, int w, int d)
{
    if (!std::isfinite(value)) return special(value, w);
    if (d < 1) return fmt_f(value, w - 4, 0) + "    ";
    const Decimal r = detail::round_significant(detail::exact_decimal(value), d);
    if (r.is_zero()) {
        if (w >= 5 + d) return fmt_f(0.0, w - 4, d - 1) + "    ";
        return right("0." + std::string(static_cast<std::size_t>(d - 1), '0'), w);
    }
    const int k = r.exp10;
    if (k >= 0 && k <= d) {
        // Edit the rounded value, so that F editing cannot round a second time.
        const std::string sign = value < 0 ? "-" : "";
        const int dec = d - k;
        std::string s = sign + fixed_body(r, dec, true);
        if (static_cast<int>(s.size()) > w - 4 && k == 0) s = sign + fixed_body(r, dec, false);
        if (static_cast<int>(s.size()) > w - 4) return " " + s;
        return right(std::move(s), w - 4) + "    ";
    }
    return fmt_e(value, w, d);
}

std::string fmt_a(std::string_view text, int w)
{
    if (w <= 0) return {};
    const auto uw = static_cast<std::size_t>(w);
    std::string s(text.substr(0, uw));
    s.append(uw - s.size(), ' ');
    return s;
}

std::string fmt_l(bool value, int w)
{
    if (w <= 0) return {};
    return std::string(static_cast<std::size_t>(w - 1), ' ') + (value ? "T" : "F");
}

std::string fmt_x(int n) { return std::string(static_cast<std::size_t>(n > 0 ? n : 0), ' '); }

std::string side_by_side(std::initializer_list<std::string_view> fields)
{
    const auto ends_figure = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '.'; };
    const auto starts_figure = [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.';
    };
    std::string out;
    for (std::string_view f : fields) {
        if (!out.empty() && !f.empty() && ends_figure(out.back()) && starts_figure(f.front())) out.push_back(' ');
        out.append(f);
    }
    return out;
}

std::string list_int(long long value) { return std::to_string(value); }
std::string list_real(double value) { return shortest(value); }
std::string list_real(float value) { return shortest(value); }

ListRecord& ListRecord::operator<<(std::string_view s)
{
    if (last_was_number_ && text_.back() != ' ' && !s.empty() && s.front() != ' ') text_.push_back(' ');
    text_.append(s);
    last_was_number_ = false;
    return *this;
}

ListRecord& ListRecord::number(std::string_view s)
{
    if (text_.back() != ' ') text_.push_back(' ');
    text_.append(s);
    last_was_number_ = true;
    return *this;
}

} // namespace meru::io
