#pragma once
// The small text helpers every layer uses: trimming, lower case, quotes and
// whole-text integers. Plain ASCII; nothing here knows of fields or formats.
#include <string>
#include <string_view>

namespace meru::io {

// `text` without its leading and trailing characters out of `blanks`.
std::string trim(std::string_view text, std::string_view blanks = " ");
// `text` without its trailing characters out of `blanks`.
std::string rtrim(std::string_view text, std::string_view blanks = " ");
// `text` with the letters A-Z as a-z.
std::string lower(std::string_view text);
// True when `a` and `b` differ at most in the case of letters A-Z.
bool iequals(std::string_view a, std::string_view b);
// `text` without one pair of enclosing double quotes (a text of one '"' stays).
std::string unquote(std::string_view text);
// True when the whole of `text` is a decimal integer in range (a leading '-'
// allowed, no blanks, no '+'), stored in `out`. As std::from_chars does, `out`
// also receives the number read from a text that does not end with it.
bool to_int(std::string_view text, int& out);

} // namespace meru::io
