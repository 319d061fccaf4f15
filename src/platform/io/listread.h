#pragma once
// List-directed reading of numbers from text: values separated by blanks, tabs or
// a comma (with blanks around it); a "/" ends the list; two commas in a row give a
// null value, which leaves its target unchanged; "r*v" repeats v r times and "r*"
// gives r null values.
#include <optional>
#include <span>
#include <string_view>

namespace meru::io {

// A real number as the run-time accepts it: optional sign, digits with an optional
// point (at least one digit), an optional exponent written with E, D or Q or as a
// bare sign and digits ("1.5+3"). The whole text must be the number, and a finite
// one: NaN, Inf and a value beyond the range of a double (1e999) are not numbers;
// a value too small to be held (1e-999) reads as zero.
std::optional<double> parse_real(std::string_view item);
// An integer: optional sign and decimal digits only.
std::optional<long long> parse_int(std::string_view item);

// Reads out.size() values from text. Returns 0 when all were read, a positive
// status when an item is not a number of the kind asked for, and -1 when the text
// (or a "/") ends before all values were read; the values read so far are stored.
int list_read(std::string_view text, std::span<double> out);
int list_read(std::string_view text, std::span<long long> out);
int list_read(std::string_view text, std::span<int> out);

// The first value of text, or nothing when there is none or it is not a number.
std::optional<double> list_read_real(std::string_view text);
std::optional<long long> list_read_int(std::string_view text);

} // namespace meru::io
