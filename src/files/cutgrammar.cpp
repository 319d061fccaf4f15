#include "files/cutgrammar.h"

#include "files/cf_notes.h"
#include "files/tables.h"
#include "files/textutil.h"
#include "platform/io/edit.h"
#include "platform/io/listread.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace meru::files {

std::string col80(std::string_view record, bool* beyond80)
{
    if (beyond80) {
        std::string_view extra = record.size() > kLineLen ? record.substr(kLineLen, 10) : std::string_view();
        *beyond80 = extra.find_first_not_of(' ') != std::string_view::npos;
    }
    return std::string(record.substr(0, kLineLen));
}

JoinedLine join_continued(const std::vector<std::string>& records, size_t pos)
{
    JoinedLine j;
    for (int phys = 0;; ++phys) {
        if (pos + static_cast<size_t>(phys) >= records.size()) {
            j.eof = true;
            break;
        }
        bool b80 = false;
        std::string rec = col80(records[pos + static_cast<size_t>(phys)], &b80);
        j.beyond80 = j.beyond80 || b80;
        j.nphys = phys + 1;
        size_t bang = rec.find('!');
        if (bang == std::string::npos) {
            j.text += rec;
            break;
        }
        j.text += rec.substr(0, bang);
        if (phys == 2) { // a third "!" is one too many: keep the text before it
            j.too_many = true;
            break;
        }
    }
    if (j.text.size() > static_cast<size_t>(kContinuedLen)) j.text.resize(kContinuedLen);
    return j;
}

std::optional<RangeToken> range_token(std::string_view token)
{
    size_t at = token.find("1:");
    if (at == std::string_view::npos) return std::nullopt;
    RangeToken r;
    r.stem = std::string(token.substr(0, at));
    std::string_view digits = token.substr(at + 2);
    int n = 0;
    auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (ec == std::errc() && p == digits.data() + digits.size() && n >= 1 && n <= 9999) r.n = n;
    return r;
}

std::vector<std::string> cvcuts(int k)
{
    static const std::array<std::vector<int>, 11> bounds = {{
        {},
        {},
        {0, 50, 100},
        {0, 33, 67, 100},
        {0, 25, 50, 75, 100},
        {0, 20, 40, 60, 80, 100},
        {0, 17, 34, 50, 67, 84, 100},
        {0, 14, 28, 43, 57, 71, 85, 100},
        {0, 13, 25, 38, 50, 63, 75, 87, 100},
        {0, 11, 22, 33, 44, 55, 66, 77, 88, 100},
        {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100},
    }};
    std::vector<std::string> cuts;
    if (k < 2 || k > 10) return cuts;
    const auto& b = bounds[static_cast<size_t>(k)];
    for (size_t i = 1; i < b.size(); ++i)
        cuts.push_back("p" + std::to_string(b[i]) + ",p" + std::to_string(b[i - 1]));
    return cuts;
}

namespace {

bool is_type_token(const std::string& t) { return !t.empty() && (t[0] == 'o' || t[0] == 'i' || t[0] == 'n'); }
bool is_sign_token(const std::string& t)
{
    return !t.empty() && (t[0] == '+' || t[0] == '-' || t[0] == '?' || t[0] == '*');
}

// A sequence value as a cut text: whole numbers without a point ("10"), others
// in their shortest form ("2.5").
std::string number_text(float x)
{
    if (std::fabs(x) < 1.0e9f && x == std::trunc(x)) return std::to_string(static_cast<long long>(x));
    return io::list_real(x);
}

// Why the numbers of a sequence "(s-e-d)" give no cuts: empty when they do.
std::string sequence_fault(const std::array<double, 3>& v)
{
    if (!std::all_of(v.begin(), v.end(), [](double x) { return std::isfinite(x); })) return "syntax";
    if (!(v[2] > 0.0)) return "step must be above 0";
    if (static_cast<float>(v[0]) > static_cast<float>(v[1])) return "start above end";
    return {};
}

// Expands the sequence token tokens[at] in place; returns the number of values.
// A sequence whose numbers give no cuts is refused (`refused`), its token left.
int expand_sequence(std::vector<std::string>& tokens, size_t at, bool nominal, bool report, CfNotes* notes,
                    bool& error, bool& refused)
{
    const std::string tok = tokens[at];
    size_t k = 0;
    std::string mark;
    if (k < tok.size() && (tok[k] == '<' || tok[k] == '>')) mark += tok[k++];
    if (k < tok.size() && (tok[k] == 'p' || tok[k] == 'P')) mark += 'p', ++k;
    if (k >= tok.size() || tok[k] != '(') return 1; // not a sequence
    if (nominal) {
        if (report && notes) notes->ok("ERROR: " + tok + " syntax not allowed for nominal$");
        error = true;
        return 1;
    }
    std::string plain = tok;
    for (char& c : plain)
        if (c == '(' || c == ')' || c == '-' || c == '<' || c == '>' || c == 'p' || c == 'P') c = ' ';
    std::array<double, 3> v{};
    const std::string fault = io::list_read(plain, v) != 0 ? "syntax" : sequence_fault(v);
    if (!fault.empty()) {
        if (report && notes)
            notes->ok(fault == "syntax" ? "ERROR syntax in " + tok + "$" : "ERROR for " + tok + ":" + fault + " $");
        error = refused = true;
        return 1;
    }
    std::vector<std::string> values;
    // Reals are single precision: the end is compared as the file's numbers are held.
    const float end = static_cast<float>(v[1]);
    for (int i = 0;; ++i) {
        const float x = static_cast<float>(v[0] + i * v[2]);
        if (!(x <= end)) break;
        if (static_cast<int>(values.size()) == kMaxSequence) {
            if (report && notes) notes->ok("ERROR for " + tok + ":too many cuts (>50) $");
            error = true;
            break;
        }
        values.push_back(mark + number_text(x));
    }
    tokens.erase(tokens.begin() + static_cast<std::ptrdiff_t>(at));
    tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(at), values.begin(), values.end());
    return static_cast<int>(values.size());
}

} // namespace

CutCount cutsyntax(std::vector<std::string>& tokens, bool report, CfNotes* notes)
{
    CutCount c;
    size_t i = 1;
    if (i < tokens.size() && is_sign_token(tokens[i])) ++i;
    bool nominal = false;
    if (i < tokens.size() && is_type_token(tokens[i])) nominal = tokens[i++][0] == 'n';
    c.first = i;
    if (i < tokens.size()) expand_sequence(tokens, i, nominal, report, notes, c.error, c.refused);
    c.ncuts = tokens.size() > i ? static_cast<int>(tokens.size() - i) : 0;
    return c;
}

std::optional<NormalLine> normalise_line(std::string_view text, bool report, CfNotes* notes)
{
    NormalLine n;
    n.tokens = splitline(text, ' ', kTokenLen);
    auto& t = n.tokens;
    if (t.empty()) return std::nullopt;
    if (t.size() == 1) t.push_back("i");
    // The cv operator replaces token 2 and everything after it.
    if (t[1].size() >= 2 && (t[1][0] == 'c' || t[1][0] == 'C') && (t[1][1] == 'v' || t[1][1] == 'V')) {
        t[1][0] = 'c';
        t[1][1] = 'v';
        int k = 0;
        std::string_view rest = std::string_view(t[1]).substr(2);
        auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), k);
        if (rest.empty() || ec != std::errc() || p != rest.data() + rest.size() || k < 2 || k > 10) {
            n.cv_error = true;
            return n;
        }
        std::vector<std::string> cuts = cvcuts(k);
        t.resize(1);
        t.push_back("?");
        t.push_back("i");
        t.insert(t.end(), cuts.begin(), cuts.end());
        return n;
    }
    if (is_sign_token(t[1])) {
        t[1] = "?";
        n.sign_given = true;
    } else {
        t.insert(t.begin() + 1, "?");
    }
    if (t.size() > 2 && t[2] == "b") t[2] = "n01";
    else if (t.size() > 2 && t[2] == "b-") t[2] = "n01-";
    if (t.size() < 3 || !is_type_token(t[2])) t.insert(t.begin() + 2, "i");
    n.sequence_refused = cutsyntax(t, report, notes).refused;
    if (t.size() == 3) {
        t.push_back("mean");
        n.no_cuts = true;
    }
    return n;
}

std::string state_word(const std::string& label)
{
    static const std::array<std::pair<const char*, const char*>, 8> words = {{
        {"no ", "_yes"},
        {"yes ", "_no"},
        {"low ", "_high"},
        {"high ", "_low"},
        {"+ve ", "_-ve"},
        {"-ve ", "_+ve"},
        {"positive", "_negative"},
        {"negative", "_positive"},
    }};
    std::string padded = pad(label, kLabelLen);
    for (const auto& [word, opposite] : words)
        if (padded.find(word) != std::string::npos) return pad(opposite, kLabelLen);
    return label;
}

std::string make_label(std::string_view prefix, std::string_view text)
{
    return pad(std::string(prefix) + std::string(text), kLabelLen);
}

} // namespace meru::files
