#include "search/ranking.h"

#include <algorithm>
#include <cstdlib>

namespace meru::search {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

int sign_of(const files::ControlTables& t, int a)
{
    return a >= 1 && a <= t.natt && t.att[at(a)].signbyte < 0 ? -1 : 1;
}

} // namespace

void Ranking::clear()
{
    table.clear();
    order.clear();
    chosen.clear();
    several_cuts = false;
    best_g = 0.0f;
}

void Ranking::insert(const RankEntry& e)
{
    const auto pos =
        std::upper_bound(table.begin(), table.end(), e.g, [](float g, const RankEntry& x) { return g > x.g; });
    table.insert(pos, e);
}

void Ranking::finish(files::ControlTables& t, const std::vector<int>& lines)
{
    chosen.assign(at(std::max(t.nlines, 0)) + 1, 0);
    order.clear();
    several_cuts = false;
    for (int line : lines)
        if (t.line[at(line)].ncuts > 1) several_cuts = true;
    // The table is sorted, so each line's first entry is its best cut.
    for (const RankEntry& e : table) {
        if (e.line < 1 || e.line > t.nlines || chosen[at(e.line)] != 0) continue;
        files::AttrLine& l = t.line[at(e.line)];
        chosen[at(e.line)] = std::abs(e.attribute) - l.first_attribute() + 1;
        l.inuse = chosen[at(e.line)];
        order.push_back(e.line);
    }
    best_g = table.empty() ? 0.0f : table.front().g;
}

EvaluationSettings rank_settings(int serial_y, bool skipcomb, bool fixpos, int lc)
{
    EvaluationSettings e;
    e.serial_y = serial_y;
    e.skipcomb = skipcomb;
    e.penalty = 0.0;
    e.rank_stage = true;
    e.fixpos = fixpos;
    e.rank_plot = true;
    e.lc = lc;
    return e;
}

RankRun run_ranking(Evaluator& evaluator, files::ControlTables& t, const std::vector<int>& lines,
                    SearchResults& results, partition::SkipTally& skips, Ranking& ranking, FixposState* fixpos,
                    const RankHooks& hooks)
{
    RankRun run;
    ranking.clear();
    results.topg.start_ranking();
    if (fixpos) fixpos->start(t);
    RecordHooks record_hooks;
    record_hooks.progress = hooks.progress;
    if (fixpos) record_hooks.fixpos = [fixpos](int literal, double r) { fixpos->record(literal, r); };
    const EvaluationSettings& settings = evaluator.settings();

    // The cuts of each line in order, each with the sign of the line's first cut.
    const auto each_cut = [&](auto&& f) {
        for (int line : lines) {
            if (line < 1 || line > t.nlines || t.line[at(line)].ncuts < 1) continue;
            const files::AttrLine& cuts = t.line[at(line)];
            const int first = cuts.first_attribute();
            const int sign = sign_of(t, first);
            for (int a = first; a <= cuts.attoff; ++a)
                if (!f(line, sign * a)) return;
        }
    };
    std::vector<partition::Literal> literals;
    each_cut([&](int, partition::Literal lit) {
        literals.push_back(lit);
        return true;
    });
    evaluator.rank_literals(literals, hooks.parallel);
    partition::Partition pair;
    partition::TermList packed;
    each_cut([&](int line, partition::Literal lit) {
        pair.first.clear();
        pair.second.clear();
        pair.first.add_term({lit});
        pair.second.add_term({lit});
        pair.repflag = 1;
        packed.clear();
        packed.add_term({lit});
        const Candidate c{pair, packed, 1};
        const Score s = evaluator.score(c);
        record(c, s, settings, results, skips, record_hooks);
        ranking.insert({s.g, s.pmin, lit, line, s.n});
        ++run.evaluated;
        if (hooks.yield) hooks.yield();
        run.ended_by_user = hooks.search_end && hooks.search_end();
        return !run.ended_by_user;
    });
    ranking.finish(t, lines);
    ranking.ranked = !run.ended_by_user;
    return run;
}

} // namespace meru::search
