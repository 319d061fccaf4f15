#include "files/textutil.h"

#include "files/cf_notes.h"

#include <charconv>
#include <cmath>

namespace meru::files {

namespace {

bool is_sep(char c, char delim) { return c == ' ' || c == delim; }

// Reads a whole positive count from `text` (digits with optional surrounding
// blanks). Returns -1 when it is not a count.
long read_count(std::string_view text)
{
    const std::string trimmed = io::trim(text);
    std::string_view digits = trimmed;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    long v = 0;
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
    if (ec != std::errc() || p != digits.data() + digits.size()) return -1;
    return v;
}

} // namespace

SplitNames splitnames(std::string_view line, char delim, int maxchars, int capacity, CfNotes* notes)
{
    SplitNames out;
    std::string raw; // the current field as written (for range counts)
    bool infield = false;
    bool quoted = false;
    char prev = delim;

    // Stores a name while there is room; beyond `capacity` names are only counted.
    auto push = [&](std::string name) {
        ++out.count;
        if (static_cast<int>(out.fields.size()) < capacity) out.fields.push_back(std::move(name));
        else out.overflow = true;
    };

    // Completes the current field; expands a numbered range. False ends the split.
    auto finish = [&]() {
        if (!infield) return true;
        infield = false;
        size_t at = raw.find("1:");
        if (at == std::string::npos) {
            push(raw.substr(0, static_cast<size_t>(maxchars)));
            return true;
        }
        std::string stem = raw.substr(0, at);
        long n = read_count(std::string_view(raw).substr(at + 2));
        if (n < 1 || n > 9999 || stem.size() + std::to_string(n).size() > static_cast<size_t>(maxchars)) {
            if (notes) notes->help("ERROR: x1:10 type problem");
            out.range_error = true;
            return false;
        }
        for (long k = 1; k <= n; ++k) {
            if (static_cast<int>(out.fields.size()) >= capacity) { // count the rest without storing
                out.count += static_cast<int>(n - k + 1);
                out.overflow = true;
                break;
            }
            push(stem + std::to_string(k));
        }
        return true;
    };

    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            continue;
        }
        if (is_sep(c, delim)) {
            if (quoted) continue;
            if (prev != ' ' && prev != delim) {
                if (!finish()) return out;
            } else if (prev == delim && c == delim && (delim == ',' || delim == '\t')) {
                push("");
            }
        } else {
            if (prev == ' ' || prev == delim) {
                if (!finish()) return out;
                infield = true;
                raw.clear();
            }
            if (!infield) { // a field may also start after a dropped character
                infield = true;
                raw.clear();
            }
            raw += c;
        }
        prev = c;
    }
    finish();
    return out;
}

std::vector<std::string> splitline(std::string_view line, char delim, int maxchars)
{
    std::vector<std::string> out;
    char prev = delim;
    bool infield = false;
    for (char c : line) {
        if (is_sep(c, delim)) {
            if (prev == delim && delim == ',' && c == ',') out.emplace_back();
            infield = false;
        } else {
            if (!infield) {
                out.emplace_back();
                infield = true;
            }
            if (static_cast<int>(out.back().size()) < maxchars) out.back() += c;
        }
        prev = c;
    }
    return out;
}

void upcase(std::string& text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

std::string upper(std::string_view text)
{
    std::string s(text);
    upcase(s);
    return s;
}

Name83 fname83(std::string_view name, std::string_view ext)
{
    size_t b = 0;
    while (b < name.size() && name[b] == ' ') ++b;
    size_t e = b;
    while (e < name.size() && e < 8 && name[e] != '.' && name[e] != ' ') ++e; // column 9 stops it
    Name83 r;
    if (e == b) {
        r.name = upper(name);
        r.status = 1;
        return r;
    }
    r.name = upper(std::string(name.substr(b, e - b)) + "." + std::string(ext));
    return r;
}

std::string log_name(std::string_view base)
{
    const std::string name = io::trim(base);
    if (name.empty()) return fname83(base, "LOG").name;
    if (name.size() <= 8) return fname83(name, "LOG").name;
    return upper(name) + ".LOG";
}

double safediv(double a, double b) { return std::fabs(b) <= 1.0e-20 ? 0.0 : a / b; }

double interp(double x1, double y1, double x2, double y2, double x)
{
    return y1 + safediv((x - x1) * (y2 - y1), x2 - x1);
}

MeanSd meansd(double sum, double sumsq, int n)
{
    MeanSd r;
    if (n < 2) return r;
    r.mean = sum / n;
    r.var = (sumsq - sum * r.mean) / (n - 1);
    r.sd = r.var > 0 ? std::sqrt(r.var) : 0.0;
    return r;
}

double rsum(const std::vector<double>& a, int i, int j)
{
    double s = 0;
    for (int k = i < 0 ? 0 : i; k <= j && k < static_cast<int>(a.size()); ++k) s += a[static_cast<size_t>(k)];
    return s;
}

std::string yesno(bool flag) { return flag ? "Yes" : "No "; }
std::string alabel(bool flag) { return flag ? " A" : "A-"; }

std::string squeeze(std::string_view text, char drop)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == drop) continue;
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

std::string noblanks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ') out += c;
    return out;
}

bool numtoken(std::string_view text)
{
    for (char c : text)
        if (c != ' ' && c != '.' && (c < '0' || c > '9')) return false;
    return true;
}

bool charsin(std::string_view first, std::string_view second, bool* none)
{
    first = first.substr(0, first.find(' '));
    second = second.substr(0, second.find(' '));
    bool all = true;
    bool any = false;
    for (char c : first) {
        if (second.find(c) == std::string_view::npos) all = false;
        else any = true;
    }
    if (none) *none = !first.empty() && !any;
    return all;
}

std::string pad(std::string_view text, size_t width)
{
    std::string s(text.substr(0, width));
    s.resize(width, ' ');
    return s;
}

} // namespace meru::files
