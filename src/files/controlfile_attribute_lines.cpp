// Attribute-creating lines of a control file: resolving token 1 ("_all_",
// numbered ranges, "_i_", "_r_"), and turning each line's cuts into attributes
// with their labels.
#include "files/controlfile_reader.h"
#include "files/textutil.h"

namespace meru::files {

namespace {

std::string dollar_name(const std::string& name)
{
    std::string s = name.substr(0, kNameLen);
    s.resize(kNameLen, '$');
    return s;
}

bool has_p_mark(const std::string& cut)
{
    for (size_t i = 0; i < 2 && i < cut.size(); ++i)
        if (cut[i] == 'p' || cut[i] == 'P') return true;
    return false;
}

bool admissible_state(char c) { return c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

// One attribute of an interval or ordinal line: flags and labels from the cut text.
// Returns false when a name was attached on a percentile line.
bool interval_attribute(Attribute& a, const std::string& cut, bool percentile)
{
    std::string text = cut.substr(0, 36);
    std::string name;
    bool named = false;
    bool ok = true;
    a.range = false;
    a.direction = true;
    for (size_t i = 0; i < text.size(); ++i) {
        char& c = text[i];
        if (c == ',') {
            a.range = true;
        } else if (c == '=' && i == 0) {
            c = ' ';
            a.range = true;
            a.direction = false;
        } else if (c == '<') {
            c = ' ';
            a.direction = false;
        } else if (c == '>') {
            c = ' ';
            a.direction = true;
        } else if (c == '=') {
            if (percentile) {
                ok = false;
            } else {
                named = true;
                name = trim(text.substr(i + 1));
            }
            text.resize(i);
            break;
        }
    }
    const std::string value = trim(text);
    const bool equality = !cut.empty() && cut[0] == '=';
    std::string own, comp;
    if (equality) {
        own = make_label("=$", value);
        comp = make_label("^=", value);
    } else if (a.range) {
        own = make_label("(]", value);
        comp = make_label("](", value);
    } else if (a.direction) {
        own = make_label(">$", value);
        comp = make_label("<=", value);
    } else {
        own = make_label("<=", value);
        comp = make_label(">$", value);
    }
    a.savedlab = {comp, own};
    a.attlab = a.savedlab;
    if (named) a.attlab = {make_label("^=", name), make_label("$=", name)};
    return ok;
}

} // namespace

bool CfReader::add_line(const NormalLine& nl, const std::string& name, int var, const std::string& text,
                        bool write_text, bool log_nocut)
{
    const bool nullline = t.nlines == 0;
    std::vector<std::string> cuts(nl.tokens.begin() + 3, nl.tokens.end());
    const int ncuts = static_cast<int>(cuts.size());
    const int k = t.nlines + 1;
    const int prevoff = t.nlines > 0 ? t.line[static_cast<size_t>(t.nlines)].attoff : 0;
    if (k >= static_cast<int>(t.line.size()) || prevoff + ncuts >= static_cast<int>(t.att.size())) {
        write("ERROR too many attributes. Line ignored: " + rtrim(text));
        error();
        return false;
    }

    AttrLine ln;
    ln.name = name.substr(0, kNameLen);
    ln.var = var;
    const std::string& type = nl.tokens[2];
    ln.type = type[0];
    ln.reversed = ln.type != 'n' && type.size() > 1 && type[1] == '-';
    ln.ncuts = ncuts;
    ln.attoff = prevoff + ncuts;
    if (nl.no_cuts && !nullline) {
        if (log_nocut) write("NOTE: No cuts specified. Line:" + rtrim(text));
        ln.mean = true;
        note_nocuts = true;
    }
    const std::string firstup = upper(cuts[0]);
    if (firstup.rfind("MEAN", 0) == 0) ln.mean = true;
    if (firstup.rfind("MEDI", 0) == 0) cuts[0] = "p50";
    ln.percentile = ln.type == 'i' && has_p_mark(cuts[0]);

    std::vector<std::string> records{write_text ? rtrim(text) : std::string(" ")};
    std::vector<Attribute> atts(static_cast<size_t>(ncuts));
    const std::string attname = nullline ? std::string(".") : dollar_name(ln.name);
    for (Attribute& a : atts) {
        a.attline = k;
        a.attname = attname;
    }

    if (ln.type != 'n') {
        bool dirchange = false;
        for (int c = 0; c < ncuts; ++c) {
            std::string& cut = cuts[static_cast<size_t>(c)];
            std::string copy = cut;
            if (!ln.percentile && has_p_mark(copy)) {
                notes.help("ERROR: percentile cut expected");
                write("ERROR. Percentiles cut expected. Line ignored:" + rtrim(text));
                error();
                return false;
            }
            for (size_t i = 0; i < copy.size(); ++i) {
                char& ch = copy[i];
                if (i < 20 && (ch == 'p' || ch == 'P')) ch = ' ';
                if (ch == '<' || ch == '>' || ch == '=') ch = ' ';
            }
            if (!copy.empty() && copy[0] == '-') copy = "-1";
            records.push_back(pad(copy, 20));
            if (trim(copy).empty()) {
                write("NOTE: blank cutpoint detected in " + cut);
                error();
                cut = "-";
            }
            Attribute& a = atts[static_cast<size_t>(c)];
            if (!interval_attribute(a, cut, ln.percentile)) {
                write("NOTE:cannot attach a label to percentile cuts " + cut);
                error();
            }
            if (a.direction != atts[0].direction) dirchange = true;
        }
        if (dirchange) write("NOTE: direction change within cuts of control file line:" + rtrim(text));
    } else {
        // Nominal: the universe, then each cut's code set and labels.
        std::string universe = upper(type.substr(1));
        bool given = !universe.empty();
        if (!given && !nullline) {
            universe = kAllStates;
            write("NOTE: no universe specified in:" + rtrim(text));
            note_nouniverse = true;
        }
        for (char c : universe) {
            if (!admissible_state(c)) {
                notes.help("ERROR: inadmissible universe");
                write("ERROR: Inadmissible " + std::string(1, c) + " in universe n" + universe);
                error();
            }
        }
        ln.universe = universe;
        ln.universe_given = given;
        bool bad = false;
        for (int c = 0; c < ncuts; ++c) {
            Attribute& a = atts[static_cast<size_t>(c)];
            std::string cut = cuts[static_cast<size_t>(c)];
            if (!cut.empty() && cut[0] == '=') cut.erase(0, 1);
            std::string name_part;
            bool named = false;
            if (size_t eq = cut.find('='); eq != std::string::npos) {
                name_part = cut.substr(eq + 1);
                cut.resize(eq);
                named = true;
            }
            if (nullline) {
                a.savedlab = {make_label("^=", cut), make_label("=$", cut)};
                a.attlab = a.savedlab;
                continue;
            }
            std::string codes = upper(cut);
            for (char ch : codes) {
                if (universe.find(ch) == std::string::npos) {
                    write("element " + std::string(1, ch) + " not in univ " + universe);
                    bad = true;
                }
            }
            if (nl.no_cuts) bad = true; // a nominal line needs its code sets
            a.codes = nl.no_cuts ? std::string() : codes;
            std::string rest;
            for (char ch : universe)
                if (codes.find(ch) == std::string::npos) rest += ch;
            a.savedlab = {given ? make_label("=$", rest) : make_label("^=", codes), make_label("=$", codes)};
            a.attlab = a.savedlab;
            if (named) {
                const std::string own = !name_part.empty() && name_part[0] == '<' ? name_part : "_" + name_part;
                a.attlab = {state_word(make_label("^", name_part)), pad(own, kLabelLen)};
            }
        }
        if (bad) {
            write("ERROR: bad states or non-specified in:" + rtrim(text));
            error();
            note_badstates = true;
        }
    }

    // Commit the line.
    t.nlines = k;
    t.line[static_cast<size_t>(k)] = ln;
    for (int c = 0; c < ncuts; ++c) t.att[static_cast<size_t>(prevoff + 1 + c)] = atts[static_cast<size_t>(c)];
    t.natt = ln.attoff;
    scratch.records.insert(scratch.records.end(), records.begin(), records.end());
    return true;
}

bool CfReader::read_attribute_lines()
{
    auto nullline = normalise_line(". n null", false, nullptr);
    add_line(*nullline, ".", 0, ". n null", true, false);

    for (;;) {
        if (at_eof()) return false;
        if (col80(cf[pos]).find('*') != std::string::npos) {
            ++pos;
            return true;
        }
        JoinedLine j = join_continued(cf, pos);
        pos += static_cast<size_t>(std::max(1, j.nphys));
        if (j.too_many) {
            notes.help("ERROR: too many continue lines");
            error();
        }
        if (j.eof) return false;
        auto nl = normalise_line(j.text, false, nullptr);
        if (!nl) continue;

        // Token 1: the special forms.
        std::string tok = nl->tokens[0];
        const std::string up = upper(tok);
        if (up == "_I_" || up == "_R_") {
            const bool isr = up == "_R_";
            tok = isr ? "_r_" : "_i_";
            if (isr && ++t.vars.nrlines > kMaxRLines) {
                notes.help("ERROR: too many _r_ lines");
                error();
                continue;
            }
            int& slot = isr ? t.vars.rvar : t.vars.ivar;
            if (slot == 0) {
                slot = add_variable(tok);
                if (t.vars.hasfreq) notes.help(isr ? "NOTE: grouped data with _r_" : "NOTE: grouped data with _i_");
            }
        }
        std::vector<std::string> targets;
        bool all = false, ranged = false;
        if (up == "_ALL_") {
            all = true;
            for (int v = 1; v <= t.vars.nvar; ++v) targets.push_back(t.vars.varname[static_cast<size_t>(v)]);
        } else if (auto r = range_token(tok); r && r->n > 0) {
            ranged = true;
            for (int i = 1; i <= r->n; ++i) targets.push_back(r->stem + std::to_string(i));
        } else {
            targets.push_back(tok);
        }
        if (nl->cv_error) {
            notes.box("ERROR: in cv<x> specification. Must be cv2, cv3, ...cv10$");
            error();
            continue;
        }
        if (nl->sequence_refused) {
            // The pre-scan showed why; the line makes no attributes.
            write("ERROR: sequence of cuts gives no cuts. Line ignored: " + trim(j.text));
            error();
            continue;
        }
        if (nl->sign_given) note_sign = true;
        for (size_t i = 0; i < targets.size(); ++i) {
            // A name is cut to 8 characters as in the variable list, but a numbered
            // range never cuts its number off (it would name another variable).
            const std::string name = ranged ? targets[i] : targets[i].substr(0, kNameLen);
            const int var = ranged ? find_variable(name) : resolve_name(targets[i]);
            if (var == 0) {
                const std::string u = upper(name);
                if (u == "_FREQ_" || u == "_ID_") {
                    notes.help("ERROR: attributes from _id_ and _freq_");
                    write("ERROR " + name + " cannot be used to create attributes");
                } else {
                    notes.help("ERROR: attribute not a variable name ");
                    write("ERROR " + targets[i] + " not a valid variable to make attribute. Ignored");
                }
                error();
                continue;
            }
            const bool repeat = ranged || (all && i > 0);
            add_line(*nl, name, var, j.text, !repeat, !(all && i > 0));
        }
    }
}

} // namespace meru::files
