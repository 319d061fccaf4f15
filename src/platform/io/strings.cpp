#include "platform/io/strings.h"

#include <charconv>

namespace meru::io {

std::string trim(std::string_view text, std::string_view blanks)
{
    const std::size_t b = text.find_first_not_of(blanks);
    if (b == std::string_view::npos) return {};
    return rtrim(text.substr(b), blanks);
}

std::string rtrim(std::string_view text, std::string_view blanks)
{
    const std::size_t e = text.find_last_not_of(blanks);
    return e == std::string_view::npos ? std::string() : std::string(text.substr(0, e + 1));
}

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool iequals(std::string_view a, std::string_view b) { return a.size() == b.size() && lower(a) == lower(b); }

std::string unquote(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
    return std::string(text);
}

bool to_int(std::string_view text, int& out)
{
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, out);
    return !text.empty() && ec == std::errc() && p == end;
}

} // namespace meru::io
