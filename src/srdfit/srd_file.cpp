#include "srdfit/srd_file.h"

#include "platform/io/os.h"
#include "platform/io/safe_files.h"
#include "srdfit/layout.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace meru::srdfit {

namespace {

constexpr std::string_view kHeader = "MERU rectangle diagram";
constexpr std::size_t kMaxFileBytes = 1 << 16; // a saved diagram is a few hundred bytes

std::string number(double v, int decimals)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// The blank-separated words of a line.
std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

bool to_int(std::string_view w, int& v)
{
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    return ec == std::errc() && end == w.data() + w.size();
}

bool to_real(std::string_view w, double& v)
{
    const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v);
    return ec == std::errc() && end == w.data() + w.size() && std::isfinite(v);
}

// The lines of the text, each without its line end (LF, CRLF or CR), blank ones skipped.
std::vector<std::string_view> lines_of(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", i);
        const std::string_view line = text.substr(i, end == std::string_view::npos ? text.size() - i : end - i);
        if (!words(line).empty()) out.push_back(line);
        if (end == std::string_view::npos) break;
        i = end + 1;
        if (text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
    }
    return out;
}

// Reads line `k` as `key` `index` and the rest into `rest`.
bool keyed(std::string_view line, std::string_view key, int index, std::vector<std::string_view>& rest)
{
    std::vector<std::string_view> w = words(line);
    int n = 0;
    if (w.size() < 2 || w[0] != key || !to_int(w[1], n) || n != index) return false;
    rest.assign(w.begin() + 2, w.end());
    return true;
}

bool parse_fit(std::string_view line, SavedDiagram& d)
{
    const std::vector<std::string_view> w = words(line);
    if (w.size() < 7 || w[0] != "fit" || w[1] != "E" || w[3] != "E_max" || w[5] != "P") return false;
    if (!to_real(w[2], d.error) || !to_real(w[4], d.e_max) || !to_real(w[6], d.fit_p)) return false;
    if (d.e_max < 0 || d.e_max > d.error || d.error > 2 || d.fit_p < 0 || d.fit_p > 1) return false;
    if (w.size() == 7) return true;
    if (w[7] != "start") return false;
    // The start's name runs to the end of the line.
    for (std::size_t k = 8; k < w.size(); ++k) d.start += (k > 8 ? " " : "") + std::string(w[k]);
    return true;
}

} // namespace

std::string srd_text(const SavedDiagram& d)
{
    std::string t(kHeader);
    t += "\nq " + std::to_string(d.boxes.size()) + "\n";
    for (std::size_t j = 0; j < d.terms.size(); ++j) {
        t += "term " + std::to_string(j + 1);
        for (int lit : d.terms[j]) t += " " + std::to_string(lit);
        t += "\n";
    }
    for (std::size_t j = 0; j < d.boxes.size(); ++j) {
        const Rect& b = d.boxes[j];
        t += "rectangle " + std::to_string(j + 1) + " " + number(b.x1, 6) + " " + number(b.x2, 6) + " " +
             number(b.y1, 6) + " " + number(b.y2, 6) + "\n";
    }
    t += "fit E " + number(d.error, 6) + " E_max " + number(d.e_max, 6) + " P " + number(d.fit_p, 4);
    if (!d.start.empty()) t += " start " + d.start;
    return t + "\n";
}

SrdRead parse_srd(std::string_view text, const std::vector<std::vector<int>>& terms)
{
    SrdRead r;
    const std::vector<std::string_view> lines = lines_of(text);
    std::vector<std::string_view> rest;
    if (lines.size() < 3 || words(lines[0]) != words(kHeader)) return r;
    const std::vector<std::string_view> qline = words(lines[1]);
    int q = 0;
    if (qline.size() != 2 || qline[0] != "q" || !to_int(qline[1], q) || q < 1 || q > kMaxGroups) return r;
    const auto uq = static_cast<std::size_t>(q);
    if (lines.size() != 2 * uq + 3) return r;
    SavedDiagram& d = r.diagram;
    for (int j = 1; j <= q; ++j) {
        if (!keyed(lines[static_cast<std::size_t>(1 + j)], "term", j, rest) || rest.empty()) return r;
        std::vector<int>& term = d.terms.emplace_back();
        for (std::string_view w : rest) {
            int lit = 0;
            if (!to_int(w, lit) || lit == 0) return r;
            term.push_back(lit);
        }
    }
    for (int j = 1; j <= q; ++j) {
        if (!keyed(lines[uq + 1 + static_cast<std::size_t>(j)], "rectangle", j, rest) || rest.size() != 4) return r;
        double v[4];
        for (std::size_t k = 0; k < 4; ++k)
            if (!to_real(rest[k], v[k]) || v[k] < 0 || v[k] > 1) return r;
        if (v[0] > v[1] || v[2] > v[3]) return r;
        d.boxes.push_back({v[0], v[1], v[2], v[3]});
    }
    if (!parse_fit(lines.back(), d)) return r;
    r.status = d.terms == terms ? SrdStatus::ok : SrdStatus::mismatch;
    return r;
}

std::string srd_path_for(const std::string& log_path)
{
    const std::size_t slash = log_path.find_last_of('/');
    const std::size_t dot = log_path.find_last_of('.');
    const bool has_ext = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (has_ext ? log_path.substr(0, dot) : log_path) + ".srd";
}

std::string save_srd(const std::string& path, const SavedDiagram& d)
{
    return io::replace_contents(path, srd_text(d));
}

SrdRead load_srd(const std::string& path, const std::vector<std::vector<int>>& terms)
{
    io::remove_stale_temporaries(path);
    std::string text;
    if (std::string why = io::read_regular_file(path, text, kMaxFileBytes + 1); !why.empty())
        return {io::may_exist(path) ? SrdStatus::unreadable : SrdStatus::missing, {}, why};
    if (text.size() > kMaxFileBytes) return {SrdStatus::damaged, {}, {}};
    return parse_srd(text, terms);
}

} // namespace meru::srdfit
