#pragma once
// State codes of data items: "0"-"9" are 0-9, "A"-"Z" (and "a"-"z") are 10-35.
#include <string_view>

namespace meru::files {

// Code of one character: 0-9 for digits, 10-35 for letters of either case,
// 100 for every other character (inadmissible).
int charcode(char ch);

// Character shown for a code: "-" for a negative code, "0"-"9", "A"-"Z",
// "?" for anything above 35.
char codechar(int code);

// True when the state character of `value` occurs in `text`. A negative value looks
// for "-" among the first 6 characters; 0-9 for that digit and 10-35 for that letter
// among the first 17. The comparison is exact: a value that is not a whole number
// never matches.
bool instate(double value, std::string_view text);

// True when the state character of `value` is one of `codes` (a full code set, no
// length limit): "-" for a negative value, a digit or an upper-case letter otherwise.
bool in_code_set(double value, std::string_view codes);

} // namespace meru::files
