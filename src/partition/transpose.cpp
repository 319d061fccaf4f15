#include "partition/transpose.h"

#include "partition/termops.h"
#include "platform/io/edit.h"
#include "platform/io/logwriter.h"

#include <algorithm>
#include <vector>

namespace meru::partition {

namespace {

// True when the new term adds nothing to the sum: it holds a literal and its
// negation, or every literal of some term of the sum occurs in it (absorption).
bool adds_nothing(const TermList& sum, std::span<const Literal> term)
{
    auto has = [&](Literal l) { return std::find(term.begin(), term.end(), l) != term.end(); };
    for (Literal l : term)
        if (has(-l)) return true;
    for (std::span<const Literal> t : sum.terms())
        if (!t.empty() && std::all_of(t.begin(), t.end(), has)) return true;
    return false;
}

// Trace dump of a list while the trace switch is on.
void dump(const ReduceOptions& opt, std::string_view label, const TermList& l, io::LogWriter& log)
{
    if (!opt.trace) return;
    static const files::ControlTables no_tables;
    pdump(label, l, opt.tables ? *opt.tables : no_tables, log);
}

void help(const ReduceOptions& opt, const char* topic)
{
    if (opt.told) opt.told->add_help(topic);
}

TermStatus prohibitive(const ReduceOptions& opt, long long combos, io::LogWriter& log)
{
    log.write(io::list_record("Too many transpose operations :", combos));
    help(opt, "ERROR: prohibitive transpose");
    return status::kLimit;
}

} // namespace

TermStatus trans(const TermList& clauses, int sense, TermList& out, const ReduceOptions& options, SkipTally& tally,
                 io::LogWriter& log)
{
    // The many reductions of one transposition share their literal relations.
    RelationCache cache;
    ReduceOptions opt = options;
    if (!opt.cache) opt.cache = &cache;

    out.clear();
    const int outsense = 1 - sense;
    const int n = clauses.q();
    if (!clauses.consistent() || n > MAXP) return status::kLimit;
    if (n == 1 && clauses.lp[0] == 1) {
        out.add_term(std::span<const Literal>(clauses.lits.data(), 1));
        return status::kOk;
    }
    if (n < 1) {
        out.set_constant(whole_constant(outsense));
        return status::kNoInput;
    }

    // Number of combinations, saturated well above the limit so that it cannot overflow.
    long long combos = 1;
    bool empty_clause = false;
    for (int len : clauses.lp) {
        if (len == 0) empty_clause = true;
        combos = combos > 1000000000000LL ? combos : combos * len;
    }
    if (empty_clause) {
        out.set_constant(empty_constant(outsense));
        return constant_status(out.lits[0]);
    }
    if (combos > kMaxCombinations) return prohibitive(opt, combos, log);

    dump(opt, "trans: clauses", clauses, log);
    const std::vector<int> start = clauses.offsets();
    std::vector<int> digit(static_cast<size_t>(n), 0); // position taken from each clause
    std::vector<Literal> term(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        term[static_cast<size_t>(i)] = clauses.lits[static_cast<size_t>(start[static_cast<size_t>(i)])];
    out.add_term(term); // n <= MAXP literals always fit

    long long steps = 0;
    // The work so far, counted before each step runs: a look for the new term in
    // the sum costs the sum's literals times the term's, a reduction the sum's
    // terms times its literals.
    const long long lookups0 = opt.cache->lookups();
    long long work = 0;
    auto within_budget = [&](long long step) {
        work += step;
        return work + kRelationWork * (opt.cache->lookups() - lookups0) <= kMaxTransposeWork;
    };
    auto reduction_work = [&] { return static_cast<long long>(out.q()) * out.count(); };
    for (;;) {
        int i = n - 1;
        while (i >= 0 && digit[static_cast<size_t>(i)] == clauses.lp[static_cast<size_t>(i)] - 1) --i;
        if (i < 0) {
            if (!within_budget(reduction_work())) return prohibitive(opt, combos, log);
            TermStatus st = reduce(out, outsense, opt);
            dump(opt, "trans: result", out, log);
            return st == status::kUnchanged ? status::kOk : st;
        }
        ++digit[static_cast<size_t>(i)];
        for (int k = i + 1; k < n; ++k) digit[static_cast<size_t>(k)] = 0;
        for (int k = 0; k < n; ++k)
            term[static_cast<size_t>(k)] =
                clauses.lits[static_cast<size_t>(start[static_cast<size_t>(k)] + digit[static_cast<size_t>(k)])];
        // A term that the sum already holds changes nothing: skip the reduction.
        if (!within_budget(static_cast<long long>(out.count()) * n)) return prohibitive(opt, combos, log);
        if (adds_nothing(out, term)) {
            ++steps;
            continue;
        }
        if (!out.add_term(term)) return status::kLimit;
        if (!within_budget(reduction_work())) return prohibitive(opt, combos, log);

        TermStatus st = reduce(out, outsense, opt);
        dump(opt, "trans: partial sum", out, log);
        if (st == status::kLimit) return st;
        if (st == status::kNoConvergence) {
            skip_add(tally, kSkipReduceFail);
            return st;
        }
        if (st == status::kOk || st == status::kUnchanged) {
            if (++steps > combos) {
                help(opt, "ERROR: problem in transposition algorithm");
                return status::kLimit;
            }
            continue;
        }
        // The partial sum became a constant: the whole set absorbs every later term;
        // the empty set is simply no terms yet.
        if (out.lits[0] == whole_constant(outsense)) return st;
        out.clear();
    }
}

} // namespace meru::partition
