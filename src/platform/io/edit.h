#pragma once
// Output editing of single values into fixed fields, as the edit descriptors of
// the log-line layouts do: Iw, Fw.d, Ew.d, Gw.d, Aw, Lw and nX. Rounding is to
// nearest, with a tie (an exact half in the value's binary expansion) rounded
// away from zero. Log lines are built by concatenation:
// "NOTE: " + fmt_i(n, 5) + fmt_x(2) + ...
//
// A number too wide for its field is never lost to asterisks: it is written
// whole after one blank, so that the field widens by what it needs and the
// number stays apart from whatever precedes it (an F value of 10^15 or more is
// written in E form instead). Only the line that holds it loses its columns.
//
// List-directed output: a record starts with one blank; numbers are written in
// their shortest form that reads back as the same value.
#include <initializer_list>
#include <string>
#include <string_view>

namespace meru::io {

// Iw: integer right-aligned in w columns.
std::string fmt_i(long long value, int w);
// Fw.d: fixed point with d decimals. A leading zero before the point is written
// when there is room. A negative value that rounds to zero is written without
// its minus sign.
std::string fmt_f(double value, int w, int d);
// Ew.d: 0.dddE+ee, and 0.dddE+eee for a three-digit exponent; the zero before
// the point goes when the field has no room for it.
std::string fmt_e(double value, int w, int d);
// Gw.d: F editing followed by four blanks when the value, rounded to d
// significant digits, lies in [0.1, 10^d); E editing otherwise.
std::string fmt_g(double value, int w, int d);
// Aw: the first w characters of text; a shorter text is blank-padded on the right
// (as a fixed-length text field of at least w characters would be written).
std::string fmt_a(std::string_view text, int w);
// Lw: w-1 blanks and T or F.
std::string fmt_l(bool value, int w);
// nX: n blanks.
std::string fmt_x(int n);
// Fields written side by side, with one blank put between two of them where the
// first ends in a letter, digit or point and the next begins with a digit, sign
// or point (as an E field that fills its whole width does), so that no figure
// runs into its neighbour. Fields that leave a blank join as they are.
std::string side_by_side(std::initializer_list<std::string_view> fields);

// List-directed forms of single values (no leading blank).
std::string list_int(long long value);
std::string list_real(double value);
std::string list_real(float value); // shortest form of the single-precision value

// One list-directed record: starts with one blank; text items are appended as
// they are; a number is separated by one blank from what precedes it (unless
// that already ends in a blank); a text after a number also gets one blank.
class ListRecord {
public:
    ListRecord() : text_(" ") {}
    ListRecord& operator<<(std::string_view s);
    ListRecord& operator<<(const char* s) { return *this << std::string_view(s); }
    ListRecord& operator<<(const std::string& s) { return *this << std::string_view(s); }
    ListRecord& operator<<(char c) { return *this << std::string_view(&c, 1); }
    ListRecord& operator<<(int v) { return number(list_int(v)); }
    ListRecord& operator<<(long v) { return number(list_int(v)); }
    ListRecord& operator<<(long long v) { return number(list_int(v)); }
    ListRecord& operator<<(unsigned v) { return number(list_int(v)); }
    ListRecord& operator<<(unsigned long v) { return number(std::to_string(v)); }
    ListRecord& operator<<(unsigned long long v) { return number(std::to_string(v)); }
    ListRecord& operator<<(double v) { return number(list_real(v)); }
    ListRecord& operator<<(float v) { return number(list_real(v)); }
    ListRecord& operator<<(bool v) { return number(v ? "T" : "F"); }
    const std::string& str() const { return text_; }
    operator const std::string&() const { return text_; }

private:
    ListRecord& number(std::string_view s);
    std::string text_;
    bool last_was_number_ = false;
};

// Convenience: a list-directed record of the given items.
template <typename... T> std::string list_record(const T&... items)
{
    ListRecord r;
    if constexpr (sizeof...(T) > 0) (r << ... << items);
    return r.str();
}

} // namespace meru::io
