#include "platform/io/decimal.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace meru::io::detail {

Decimal exact_decimal(double x)
{
    Decimal d;
    x = std::fabs(x);
    if (x == 0.0) return d;
    // A double has at most 767 significant decimal digits; scientific form with
    // that precision is exact, and the surplus is zeros.
    std::array<char, 1024> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::scientific, 770);
    std::string_view s(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
    const auto e = s.find('e');
    std::string digits;
    digits.reserve(e);
    for (std::size_t i = 0; i < e; ++i)
        if (s[i] != '.') digits.push_back(s[i]);
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    d.digits = std::move(digits);
    d.exp10 = std::atoi(std::string(s.substr(e + 1)).c_str()) + 1;
    return d;
}

namespace {

// Keeps the first `keep` digits (keep >= 0), rounding half away from zero on the rest.
Decimal round_keep(const Decimal& v, int keep)
{
    Decimal r;
    if (v.is_zero()) return r;
    if (keep < 1) return r;
    const auto k = static_cast<std::size_t>(keep);
    if (v.digits.size() <= k) {
        r = v;
        r.digits.append(k - v.digits.size(), '0');
        return r;
    }
    const bool up = v.digits[k] >= '5';
    r.digits = v.digits.substr(0, k);
    r.exp10 = v.exp10;
    if (up) {
        std::size_t i = k;
        while (i > 0 && r.digits[i - 1] == '9') {
            r.digits[i - 1] = '0';
            --i;
        }
        if (i == 0) {
            // 99..9 rounded up: 100..0 with one more integer digit.
            r.digits.assign(k, '0');
            r.digits[0] = '1';
            r.exp10 += 1;
        } else {
            r.digits[i - 1] = static_cast<char>(r.digits[i - 1] + 1);
        }
    }
    if (r.digits.find_first_not_of('0') == std::string::npos) return Decimal{};
    return r;
}

} // namespace

Decimal round_significant(const Decimal& v, int count) { return round_keep(v, count); }

Decimal round_decimals(const Decimal& v, int decimals)
{
    if (v.is_zero()) return v;
    const int keep = v.exp10 + decimals;
    if (keep < 0) return Decimal{};
    if (keep == 0) {
        // 0.d1... x 10^-decimals: rounds to one unit of the last place or to zero.
        if (v.digits[0] >= '5') return Decimal{"1", v.exp10 + 1};
        return Decimal{};
    }
    Decimal r = round_keep(v, keep);
    return r;
}

char digit_at(const Decimal& v, int place)
{
    const int i = v.exp10 - 1 - place;
    if (i < 0 || i >= static_cast<int>(v.digits.size())) return '0';
    return v.digits[static_cast<std::size_t>(i)];
}

} // namespace meru::io::detail
