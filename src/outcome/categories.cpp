#include "outcome/categories.h"

#include "files/charcodes.h"
#include "files/dataset.h"
#include "files/new_variable.h"
#include "files/tables.h"
#include "outcome/outcome.h"
#include "platform/io/edit.h"
#include "ui/msgtext.h"

#include <algorithm>
#include <cmath>

namespace meru::outcome {

namespace {

std::string name8(std::string_view ydname) { return io::fmt_a(ydname, 8); }

// Position (1-based) of value v among the codes; 0 when no category holds it.
int position(std::span<const int> ycode, float v)
{
    const int code = static_cast<int>(std::trunc(v));
    if (static_cast<float>(code) != v) return 0;
    for (std::size_t j = 0; j < ycode.size(); ++j)
        if (ycode[j] == code) return static_cast<int>(j) + 1;
    return 0;
}

int code_at(std::span<const int> ycode, int j) { return ycode[static_cast<std::size_t>(j - 1)]; }

std::string predictor_caption(std::string_view ydname, int code)
{
    return "Predictor of " + name8(ydname) + "=" + category_char(code);
}

// What an ordinal indicator holds, as its name says it: ">c" when the categories
// it holds all lie above the others, c the highest of those (the usual order);
// "<c" when they all lie below, c the lowest of the others; else "=" and the
// categories it holds, in order of value, as after a Re-order.
std::string held_text(std::vector<int> held, std::vector<int> rest)
{
    std::ranges::sort(held);
    std::ranges::sort(rest);
    if (held.front() > rest.back()) return std::string(">") + category_char(rest.back());
    if (held.back() < rest.front()) return std::string("<") + category_char(rest.front());
    std::string text = "=";
    for (int code : held) text += (text.size() > 1 ? "," : "") + std::string(1, category_char(code));
    return text;
}

// Adds to a level's term that an observation is (`in`) or is not in the
// partition of attribute a. An indicator with no partition holds no observation:
// being in it leaves the level with none, not being in it adds nothing.
void add_literal(LevelPartition& part, int a, bool in)
{
    if (a != kNoPartition) part.term.push_back(in ? a : -a);
    else if (in) part.nobody = true;
}

// The caption's close for a level whose term names no partition.
void close_caption(LevelPartition& part)
{
    if (part.nobody) {
        part.term.clear();
        part.caption += ": no observation";
    } else if (part.term.empty()) {
        part.caption += ": all observations";
    }
}

} // namespace

char category_char(int code) { return files::codechar(code); }

std::vector<std::string> indicator_names(CategoryKind kind, bool ascending, std::span<const int> ycode,
                                         std::string_view ydname)
{
    const int nc = static_cast<int>(ycode.size());
    std::vector<std::string> names;
    for (int k = 1; k < nc; ++k) {
        std::string held;
        if (kind == CategoryKind::nominal) {
            held = std::string("=") + category_char(code_at(ycode, ascending ? k : nc + 1 - k));
        } else {
            // Ascending, indicator k holds the categories after position k of the
            // chosen order; descending, those before position nc + 1 - k.
            const auto cut = ycode.begin() + (ascending ? k : nc - k);
            const std::vector<int> low(ycode.begin(), cut), high(cut, ycode.end());
            held = ascending ? held_text(high, low) : held_text(low, high);
        }
        names.push_back(ui::squeeze("{" + name8(ydname) + held + "}"));
    }
    return names;
}

std::vector<std::string> indicator_log(CategoryKind kind, std::span<const int> ycode, std::string_view ydname)
{
    std::string line = std::string(kind == CategoryKind::ordinal ? " Assumed ordinal structure of "
                                                                 : " Assumed nominal structure of ") +
                       name8(ydname) + " categories:";
    for (int code : ycode) line += std::string(" ") + category_char(code);
    return {line, " Creating indicator values for levels of " + std::string(ydname)};
}

float indicator_value(CategoryKind kind, bool ascending, std::span<const int> ycode, int k, float v)
{
    if (v < 0) return -1.0f;
    const int p = position(ycode, v);
    if (p == 0) return -1.0f;
    const int nc = static_cast<int>(ycode.size());
    bool on = false;
    if (kind == CategoryKind::ordinal) on = ascending ? p > k : p < nc + 1 - k;
    else on = p == (ascending ? k : nc + 1 - k);
    return on ? 1.0f : 0.0f;
}

int category_level(CategoryKind kind, std::span<const int> bytes)
{
    const int ny = static_cast<int>(bytes.size());
    if (kind == CategoryKind::ordinal) {
        int level = 1;
        for (int b : bytes) {
            if (b != 0 && b != 1) return 0;
            level += b;
        }
        return level;
    }
    for (int k = 0; k < ny; ++k) {
        if (bytes[static_cast<std::size_t>(k)] == 1) return k + 1;
        if (bytes[static_cast<std::size_t>(k)] != 0) return 0;
    }
    return ny + 1;
}

float level_value(int level, bool descending, std::span<const int> ycode, int ny)
{
    if (level < 1 || level > ny + 1) return -1.0f;
    return static_cast<float>(code_at(ycode, descending ? ny + 2 - level : level));
}

std::string hat_name(std::string_view ydname) { return "^" + std::string(ydname.substr(0, 7)); }

HatPlace hat_place(const std::vector<std::string>& varname, int nvar, int ndata, int room, std::string_view name)
{
    for (int j = ndata + 1; j <= nvar && j < static_cast<int>(varname.size()); ++j)
        if (varname[static_cast<std::size_t>(j)] == name) return {j, false};
    if (nvar + 1 > room) return {};
    return {nvar + 1, true};
}

std::vector<LevelPartition> ordparts(std::span<const int> yaddatt, std::span<const int> ycode, bool descending,
                                     bool indicators, std::string_view ydname)
{
    const int ny = static_cast<int>(yaddatt.size());
    const auto a = [&](int k) { return yaddatt[static_cast<std::size_t>(k - 1)]; };
    std::vector<LevelPartition> out;
    for (int j = 1; j <= ny + 1 && j <= static_cast<int>(ycode.size()); ++j) {
        const int level = descending ? ny + 2 - j : j;
        LevelPartition part;
        if (level > 1) add_literal(part, a(level - 1), true);
        if (level <= ny) add_literal(part, a(level), false);
        const int code = code_at(ycode, j);
        part.caption = indicators
                           ? predictor_caption(ydname, code)
                           : "Assigned Predicted level " + std::to_string(j % 10) + " value= " + category_char(code);
        close_caption(part);
        out.push_back(part);
    }
    return out;
}

std::vector<LevelPartition> nomparts(std::span<const int> yaddatt, std::span<const int> ycode, bool descending,
                                     bool indicators, std::string_view ydname, std::span<const std::string> yname)
{
    const int ny = static_cast<int>(yaddatt.size());
    if (static_cast<int>(ycode.size()) < ny + 1) return {};
    std::vector<LevelPartition> out;
    for (int k = 1; k <= ny; ++k) {
        const int code = code_at(ycode, descending ? ny + 2 - k : k);
        LevelPartition part;
        add_literal(part, yaddatt[static_cast<std::size_t>(k - 1)], true);
        const std::string_view name =
            static_cast<std::size_t>(k) <= yname.size() ? std::string_view(yname[k - 1]) : std::string_view();
        part.caption = indicators ? predictor_caption(ydname, code)
                                  : "Assigned Predicted " + io::fmt_a(name, 20) + "value= " + category_char(code);
        close_caption(part);
        out.push_back(part);
    }
    LevelPartition rest;
    for (int k = 1; k <= ny; ++k) add_literal(rest, yaddatt[static_cast<std::size_t>(k - 1)], false);
    const int code = code_at(ycode, descending ? 1 : ny + 1);
    std::string tail = "=rest ";
    tail = io::fmt_x(20 - static_cast<int>(tail.size())) + tail;
    rest.caption = indicators ? predictor_caption(ydname, code)
                              : "Assigned Predicted " + name8(ydname) + tail + "value= " + category_char(code);
    close_caption(rest);
    rest.side_label = true;
    out.push_back(rest);
    return out;
}

std::string store_predicted(CategoryKind kind, Outcome& y, files::VariableTable& vars, files::DataArrays& data,
                            int nobs, int ndata, std::vector<char>& varischar)
{
    const std::string name = hat_name(y.ydname);
    HatPlace place =
        hat_place(vars.varname, vars.nvar, ndata, files::variable_room(vars, data) ? vars.nvar + 1 : 0, name);
    if (place.var == 0) return {};
    if (place.created) {
        bool character = false;
        for (int j = 1; j <= vars.nvar && j < static_cast<int>(varischar.size()); ++j)
            if (vars.varname[static_cast<std::size_t>(j)] == y.ydname && varischar[static_cast<std::size_t>(j)])
                character = true;
        place.var = files::append_variable(vars, data, varischar, name, {}, character);
        if (place.var == 0) return {};
    }
    y.hatvar = place.var;
    const int ny = y.ny;
    const std::span<const int> codes(y.ycode.data(), static_cast<std::size_t>(ny + 1));
    std::vector<int> bytes(static_cast<std::size_t>(ny));
    for (int i = 1; i <= nobs && i <= data.n; ++i) {
        for (int k = 0; k < ny; ++k) {
            const int a = y.yaddatt[static_cast<std::size_t>(k)];
            bytes[static_cast<std::size_t>(k)] = a == kNoPartition ? 0 : a >= 1 && a <= data.lc ? data.ab(a, i) : -1;
        }
        data.x(i, place.var) = level_value(category_level(kind, bytes), y.ydesc, codes, ny);
    }
    return kind == CategoryKind::ordinal ? "NOTE: Ordinal analysis done" : "NOTE: Nominal analysis done";
}

std::string level_attribute_name(const files::ControlTables& t, std::span<const int> yaddatt, int k)
{
    const auto base = [](int j) { return "+Y" + std::to_string(j); };
    // Whether `name`, that of Y j, is this sequence's: no line other than that of
    // this sequence's partition of Y j has it.
    const auto ours = [&](const std::string& name, int j) {
        const int a = j < k && j <= static_cast<int>(yaddatt.size()) ? yaddatt[static_cast<std::size_t>(j - 1)] : 0;
        for (int l = 1; l <= t.nlines && l < static_cast<int>(t.line.size()); ++l)
            if (t.line[static_cast<std::size_t>(l)].name == name &&
                !(a >= 1 && a < static_cast<int>(t.att.size()) && t.att[static_cast<std::size_t>(a)].attline == l))
                return false;
        return true;
    };
    for (const char letter : std::string_view(" bcdefghijklmnopqrstuvwxyz")) {
        const std::string suffix = letter == ' ' ? "" : std::string(1, letter);
        bool free = true;
        for (int j = 1; j <= kMaxYs && free; ++j) free = ours(base(j) + suffix, j);
        if (free) return base(k) + suffix;
    }
    return base(k);
}

std::string finish_category_analysis(Outcome& y, files::VariableTable& vars, files::DataArrays& data, int nobs,
                                     int ndata, std::vector<char>& varischar, const LevelShow& show)
{
    const int ny = std::clamp(y.ny, 1, kMaxYs);
    const std::span<const int> att(y.yaddatt.data(), static_cast<std::size_t>(ny));
    const std::span<const int> codes(y.ycode.data(), static_cast<std::size_t>(ny + 1));
    const CategoryKind kind = y.yordforce ? CategoryKind::ordinal : CategoryKind::nominal;
    const std::vector<LevelPartition> parts =
        kind == CategoryKind::ordinal
            ? ordparts(att, codes, y.ydesc, y.yordind, y.ydname)
            : nomparts(att, codes, y.ydesc, y.ynomind, y.ydname,
                       std::span<const std::string>(y.yname.data(), static_cast<std::size_t>(ny)));
    for (std::size_t j = 0; j < parts.size(); ++j)
        if (show) show(parts[j], j == 0);
    std::string note = store_predicted(kind, y, vars, data, nobs, ndata, varischar);
    if (!note.empty()) {
        y.scatx = y.ycol[0];
        y.scaty = y.hatvar;
        y.direct_scatter = true;
    }
    return note;
}

} // namespace meru::outcome
