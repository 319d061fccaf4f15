#include "partition/compat.h"

#include "files/textutil.h"
#include "partition/labels.h"
#include "partition/termops.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <string>

namespace meru::partition {

namespace {

const files::Attribute* attr(int a, const files::ControlTables& t)
{
    return a >= 1 && static_cast<size_t>(a) < t.att.size() ? &t.att[static_cast<size_t>(a)] : nullptr;
}

bool counterparts(Literal x, Literal y, const files::ControlTables& t)
{
    if (y == x) return true;
    const int a = attribute_of(x), b = attribute_of(y);
    if (line_of(a, t) != 0 && line_of(b, t) != 0 && variable_of(a, t) == variable_of(b, t)) return true;
    const files::Attribute* aa = attr(a, t);
    const files::Attribute* bb = attr(b, t);
    if (aa && aa->dupmark != 0 && b == aa->dupmark) return true;
    if (bb && bb->dupmark != 0 && a == bb->dupmark) return true;
    return false;
}

// The first literal of `from` without a counterpart in `to`; 0 when every one has.
Literal offender(const TermList& from, const TermList& to, const files::ControlTables& t)
{
    for (Literal x : from.lits) {
        bool found = false;
        for (Literal y : to.lits)
            if (counterparts(x, y, t)) {
                found = true;
                break;
            }
        if (!found) return x;
    }
    return 0;
}

bool sizes_fit(const TermList& a, const TermList& b)
{
    for (int len : a.lp)
        if (len > b.q()) return false;
    double prod = 1;
    for (int len : b.lp) prod *= len;
    return a.q() <= prod;
}

} // namespace

CompatResult compat(const TermList& first, const TermList& second, int repflag, const files::ControlTables& t,
                    bool& note_once, Notices& told, io::LogWriter& log)
{
    CompatResult r;
    const bool empty = first.count() == 0 || second.count() == 0;
    Literal off = 0;
    bool step2 = false;
    if (!empty) {
        off = offender(first, second, t);
        if (off == 0) {
            off = offender(second, first, t);
            step2 = off != 0;
        }
    }
    if (empty || off != 0) {
        std::string side1 = files::alabel(repflag != 0), side2 = files::alabel(repflag == 0);
        if (step2) std::swap(side1, side2);
        const std::string who = empty ? "" : literal_text(off, 1, t);
        std::string note = empty ? "NOTE: no attributes on one side of " + side1 + " and " + side2
                                 : "NOTE: attribute " + files::squeeze(who) + " of " + side1 + " not in " + side2;
        note.resize(80, ' ');
        log.write(io::list_record(note));
        log.write(io::list_record("offender:", empty ? std::string("none") : who));
        log.write(io::list_record("vv, qq", first.count(), first.q()));
        pdump(" lpp", first, t, log);
        log.write(io::list_record("vc,qc", second.count(), second.q()));
        pdump(" lpc", second, t, log);
        r.compatible = false;
        r.problem = true;
        if (note_once) {
            note_once = false;
            told.add_help("NOTE: Boolean algebra problem");
            r.show_second = true;
        }
        return r;
    }
    if (!sizes_fit(first, second) || !sizes_fit(second, first)) {
        r.compatible = false;
        r.problem = true;
        note_once = false;
        return r;
    }
    return r;
}

} // namespace meru::partition
