#include "partition/parttext.h"

#include "platform/io/logwriter.h"

#include <algorithm>

namespace meru::partition {

namespace {

constexpr int kMaxRepairs = 4;

std::string column_text(std::string_view text)
{
    std::string s(text.substr(0, std::min<size_t>(text.size(), kTextLen)));
    s.resize(kTextLen, ' ');
    return s;
}

void put(std::string& text, int col, std::string_view s) // col 1-based; clipped at column 200
{
    for (size_t k = 0; k < s.size(); ++k) {
        const size_t at = static_cast<size_t>(col - 1) + k;
        if (at >= text.size()) return;
        text[at] = s[k];
    }
}

// Reads a token as a signed attribute number: an optional sign and 1 to 5 digits.
bool read_number(const std::string& token, long long& value)
{
    size_t k = 0;
    bool neg = false;
    if (k < token.size() && (token[k] == '+' || token[k] == '-')) neg = token[k++] == '-';
    if (k == token.size()) return false;
    long long v = 0;
    for (; k < token.size(); ++k) {
        if (token[k] < '0' || token[k] > '9') return false;
        v = v * 10 + (token[k] - '0');
    }
    value = neg ? -v : v;
    return true;
}

} // namespace

namespace {

// Columns a term takes when written from column p on, or -1 when one of its
// literals would start at column 195 or later (the term would not be whole).
long long term_width(const TermList& list, std::size_t first, int len, int form, long long p)
{
    const long long start = p++;
    for (int k = 0; k < len; ++k) {
        if (p >= kWriteLimit) return -1;
        const long long v = form == 0 ? -static_cast<long long>(list.lits[first + static_cast<std::size_t>(k)])
                                      : list.lits[first + static_cast<std::size_t>(k)];
        p += static_cast<long long>(std::to_string(v).size()) + 1;
    }
    return p - start;
}

} // namespace

std::string parttext(const TermList& list, int form, bool& aminus)
{
    aminus = form == 0;
    std::string text(kTextLen, ' ');
    int p = 1;
    size_t at = 0;
    for (int j = 0; j < list.q() && p < kWriteLimit; ++j) {
        const int len = list.lp[static_cast<size_t>(j)];
        if (term_width(list, at, len, form, p) < 0) return text; // only whole terms are written
        put(text, p, "(");
        ++p;
        for (int k = 0; k < len; ++k) {
            long long v = list.lits[at++];
            if (form == 0) v = -v;
            std::string s = std::to_string(v) + " ";
            put(text, p, s);
            p += static_cast<int>(s.size());
        }
        put(text, p - 1, ")");
    }
    return text;
}

bool text_fits(const TermList& list, int form)
{
    long long p = 1;
    std::size_t at = 0;
    for (int len : list.lp) {
        if (p >= kWriteLimit) return false;
        const long long w = term_width(list, at, len, form, p);
        if (w < 0) return false;
        p += w;
        at += static_cast<std::size_t>(len);
    }
    return true;
}

std::string dialog_text(const TermList& list, int form, bool& aminus, io::LogWriter& log)
{
    if (text_fits(list, form)) return parttext(list, form, aminus);
    log.write("NOTE: partition too long for its 200-column text. Manual partition text left blank");
    return parttext(TermList{}, form, aminus);
}

TokenPass parsetext(std::string_view input)
{
    TokenPass r;
    const std::string text = column_text(input);
    bool open = false;
    std::string pending;
    int run = 0; // characters of the pending token's run
    bool have_pending = false;
    char prev = ' ';
    auto finish = [&] {
        if (!have_pending) return;
        r.tokens.push_back(pending);
        r.overlong.push_back(run > static_cast<int>(pending.size()));
        ++r.lp.back();
        pending.clear();
        run = 0;
        have_pending = false;
    };
    for (char c : text) {
        if (c == '(') {
            r.open_seen = true;
            if (prev == '(') r.query = true;
            if (!open) {
                open = true;
                r.lp.push_back(0);
            }
        } else if (c == ')') {
            if (prev == '(') {
                r.query = true;
            } else {
                if (prev == ')') r.query = true;
                r.close_seen = true;
                finish();
                open = false;
            }
        } else if (c == ' ') {
            finish();
        } else if (!open && !r.lp.empty()) {
            r.bad = true; // text outside parentheses after a term
        } else {
            if (!open) {
                open = true;
                r.lp.push_back(0);
            }
            // A token keeps a leading sign and up to 5 more characters.
            const char first = pending.empty() ? c : pending[0];
            const size_t room = kTokenDigits + (first == '-' || first == '+' ? 1 : 0);
            if (pending.size() < room) pending += c;
            ++run;
            have_pending = true;
        }
        prev = c;
    }
    // A token still pending at column 200 is not stored. A term still open where
    // the text fills its last column was cut there: what it held is unknown.
    if (open) {
        r.query = true;
        r.cut = text.back() != ' ';
    }
    int sum = 0;
    for (int n : r.lp) {
        if (n == 0) r.bad = true;
        sum += n;
    }
    if (r.lp.empty() || sum != static_cast<int>(r.tokens.size())) r.bad = true;
    return r;
}

TokenPass parse_with_repairs(std::string& text)
{
    text = column_text(text);
    TokenPass pass = parsetext(text);
    for (int repair = 0; pass.bad && repair < kMaxRepairs; ++repair) {
        if (!pass.open_seen) {
            text.insert(text.begin(), '(');
            text.resize(kTextLen);
        } else if (!pass.close_seen) {
            size_t c = text.find_last_not_of(' ');
            if (c == std::string::npos || c < 1 || c + 1 >= static_cast<size_t>(kTextLen)) break;
            text[c + 1] = ')';
        } else {
            break;
        }
        pass = parsetext(text);
    }
    return pass;
}

FittedText fit_text(std::string_view typed)
{
    FittedText out{column_text(typed), false};
    if (typed.size() >= static_cast<size_t>(kTextLen)) {
        const char last = typed[kTextLen - 1];
        out.maybe_too_long = last != ' ' && last != ')';
    }
    return out;
}

ParsedPartition parse_partition(std::string& text, int natt, bool aminus)
{
    ParsedPartition out;
    TokenPass pass = parse_with_repairs(text);
    if (pass.bad) return out;
    if (pass.cut) {
        out.cut = true;
        return out;
    }
    out.accepted = true;
    out.query = pass.query;
    std::vector<Literal> lits;
    lits.reserve(pass.tokens.size());
    for (size_t i = 0; i < pass.tokens.size(); ++i) {
        long long a = 0;
        if (pass.overlong[i] || !read_number(pass.tokens[i], a)) return out;
        if (a == 0 || a > natt || -a > natt) {
            out.out_of_range = a;
            out.result = ParseResult::OutOfRange;
            return out;
        }
        lits.push_back(static_cast<Literal>(aminus ? -a : a));
    }
    if (static_cast<int>(pass.lp.size()) > MAXP || static_cast<int>(lits.size()) > MAXLITS) return out;
    out.list.lp = pass.lp;
    out.list.lits = std::move(lits);
    out.repflag = aminus ? 0 : 1;
    out.result = ParseResult::Ok;
    return out;
}

} // namespace meru::partition
