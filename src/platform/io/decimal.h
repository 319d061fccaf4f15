#pragma once
// Exact decimal digits of a double and rounding of them, half away from zero, as
// formatted output rounds. Used by the edit descriptors; not meant for callers.
#include <string>

namespace meru::io::detail {

// |x| = 0.d1 d2 d3 ... x 10^exp10 with d1 != 0; zero has no digits and exp10 0.
struct Decimal {
    std::string digits;
    int exp10 = 0;
    bool is_zero() const { return digits.empty(); }
};

// Exact expansion of |x| (x finite).
Decimal exact_decimal(double x);

// Rounds to `count` significant digits (count >= 1); the result has exactly
// `count` digits (zero stays without digits).
Decimal round_significant(const Decimal& v, int count);

// Rounds to `decimals` digits after the decimal point (decimals >= 0); the result
// may be zero.
Decimal round_decimals(const Decimal& v, int decimals);

// The digit at decimal place p (0 the units, -1 the tenths, 1 the tens).
char digit_at(const Decimal& v, int place);

} // namespace meru::io::detail
