// Fuzz target: partition texts. Any text must parse, repair or be refused,
// never crash; a text that parses must write back and read back to the
// same list; its reduction and transposition must stay within the limits.
#include "files/tables.h"
#include "partition/parttext.h"
#include "partition/reduce.h"
#include "partition/transpose.h"
#include "platform/io/logwriter.h"
#include "quiet_services.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace meru;
using namespace meru::partition;

// Attributes 2..9 on an interval variable, 10..13 on a nominal one.
files::ControlTables make_tables()
{
    files::ControlTables t;
    t.line.resize(4);
    t.att.resize(14);
    t.line[1].type = 'n';
    t.line[2].type = 'i';
    t.line[2].var = 1;
    t.line[3].type = 'n';
    t.line[3].var = 2;
    t.line[3].universe = "ABCD";
    auto pad = [](std::string s) {
        s.resize(files::kLabelLen, ' ');
        return s;
    };
    t.att[1].attline = 1;
    for (int a = 2; a <= 9; ++a) {
        auto& at = t.att[static_cast<size_t>(a)];
        at.attline = 2;
        at.cut1 = a % 4;
        at.cut2 = a < 6 ? files::kNoSecondCut : (a * 3) % 5;
        const std::string v = std::to_string(a % 4);
        if (a < 4) at.attlab = {pad("<=" + v), pad(">$" + v)};
        else if (a < 6) at.attlab = {pad(">$" + v), pad("<=" + v)};
        else at.attlab = {pad("]("), pad("(]")};
        at.savedlab = at.attlab;
        if (a == 5) at.signbyte = -1;
    }
    const char* codes[] = {"A", "AB", "BC", "D"};
    const char* comps[] = {"BCD", "CD", "AD", "ABC"};
    for (int a = 10; a <= 13; ++a) {
        auto& at = t.att[static_cast<size_t>(a)];
        at.attline = 3;
        at.attlab = {pad(std::string("=$") + comps[a - 10]), pad(std::string("=$") + codes[a - 10])};
        at.savedlab = at.attlab;
    }
    t.nlines = 3;
    t.natt = 13;
    return t;
}

void check(bool ok)
{
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const files::ControlTables tables = make_tables();
    fuzz::QuietServices sv;
    io::LogWriter log;
    log.set_trace_sink([](std::string_view) {});

    const bool aminus = size > 0 && (data[0] & 1);
    const bool labels = size > 0 && (data[0] & 2);
    const int natt = size > 0 && (data[0] & 4) ? 13 : 10000;
    std::string typed(reinterpret_cast<const char*>(data), size);
    if (!typed.empty()) typed.erase(0, 1);
    std::string text = fit_text(typed).text;
    ParsedPartition p = parse_partition(text, natt, aminus);
    check(text.size() == static_cast<size_t>(kTextLen));
    if (p.result != ParseResult::Ok) return 0;
    check(p.list.consistent() && p.list.within_limits());

    // Write and read back.
    bool am = false;
    std::string again = parttext(p.list, p.repflag, am);
    check(again.size() == static_cast<size_t>(kTextLen) && am == aminus);
    // The text reads back as the whole list when it fits, else as its leading
    // whole terms: never as a term cut short.
    ParsedPartition q = parse_partition(again, natt, am);
    if (text_fits(p.list, p.repflag)) {
        check(q.result == ParseResult::Ok);
        check(q.list.lits == p.list.lits && q.list.lp == p.list.lp);
    } else if (q.result == ParseResult::Ok) {
        const std::size_t terms = q.list.lp.size();
        check(terms < p.list.lp.size() && std::equal(q.list.lp.begin(), q.list.lp.end(), p.list.lp.begin()));
        check(std::equal(q.list.lits.begin(), q.list.lits.end(), p.list.lits.begin()));
    }

    ReduceOptions opt;
    opt.tables = &tables;
    opt.label_rules = labels;
    opt.services = &sv;
    const int sense = p.repflag == 1 ? kPlain : kFlipped;
    TermList r = p.list;
    reduce(r, sense, opt);
    check(r.consistent() && r.within_limits());

    SkipTally tally;
    TermList out;
    trans(p.list, sense, out, opt, tally, log);
    check(out.consistent() && out.within_limits());
    return 0;
}
