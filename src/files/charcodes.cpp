#include "files/charcodes.h"

#include <cmath>

namespace meru::files {

int charcode(char ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'A' && ch <= 'Z') return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'z') return ch - 'a' + 10;
    return 100;
}

char codechar(int code)
{
    if (code < 0) return '-';
    if (code <= 9) return static_cast<char>('0' + code);
    if (code <= 35) return static_cast<char>('A' + code - 10);
    return '?';
}

namespace {

// State character of a value, or 0 when it has none (not a whole number in 0..35).
char state_char(double value)
{
    if (value < 0) return '-';
    if (!(value <= 35) || value != std::floor(value)) return 0;
    return codechar(static_cast<int>(value));
}

} // namespace

bool instate(double value, std::string_view text)
{
    const char c = state_char(value);
    if (c == 0) return false;
    const std::size_t limit = c == '-' ? 6 : 17;
    return text.substr(0, limit).find(c) != std::string_view::npos;
}

bool in_code_set(double value, std::string_view codes)
{
    const char c = state_char(value);
    return c != 0 && codes.find(c) != std::string_view::npos;
}

} // namespace meru::files
