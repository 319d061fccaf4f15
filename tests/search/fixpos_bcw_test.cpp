// The Fix Positive attributes list over bcw read through the files library,
// with malig moved to the first column: each cut's correlation and each
// multi-cut line's correlation (on its first cut) agree with the reference.
// Reference: tools/reference/cut_correlations.py bcw_orig.csv malig thick:3,5,7
// usize:1,2,4 ushape:1,2,4 adhes:1,3,5 epsize:2,3,5 barenuc:1,3,6 chromat:2,3,5
// nucleoli:1,3,6 mitoses:1,2 (weighted point-biserial, complete pairs).
#include "files/data_fixture.h"
#include "platform/io/strings.h"
#include "search/exclusions.h"
#include "search/ranking.h"
#include "search/worker_pool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace meru::test {
namespace {

std::string bcw_malig_first()
{
    std::ifstream in(std::string(MERU_EXAMPLES_DIR) + "/bcw_orig.csv");
    std::string out, line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto comma = line.rfind(',');
        out += line.substr(comma + 1) + "," + line.substr(0, comma) + "\n";
    }
    return out;
}

TEST(FixposBcw, ListCorrelationsMatchTheReference)
{
    const std::string cf = "bcw\n*\nthick o 3 5 7\nusize o 1 2 4\nushape o 1 2 4\nadhes o 1 3 5\nepsize o 2 3 5\n"
                           "barenuc o 1 3 6\nchromat o 2 3 5\nnucleoli o 1 3 6\nmitoses o 1 2\nmalig b 1\n*\n"
                           "free comma\nDATA\n";
    auto run = read_data(cf, bcw_malig_first(), "bcwm.csv");
    files::ControlTables& t = run->t;
    files::DataArrays& d = run->d;
    const int malig = run->var("malig");
    ASSERT_EQ(malig, 1);
    const int n = run->r.nread;
    ASSERT_EQ(n, 699);

    std::vector<std::uint8_t> mask(static_cast<std::size_t>(d.n), 0);
    for (int i = 0; i < n; ++i) mask[static_cast<std::size_t>(i)] = 1;
    std::vector<std::int8_t> sign(static_cast<std::size_t>(d.lc) + 1, 1);
    search::EvaluationData data;
    data.abyte = stats::AttributeMatrix(d.abyte, d.lc, d.n);
    data.y[0] = std::span<const float>(d.xdata).subspan(0, static_cast<std::size_t>(d.n));
    data.ymax[0] = 1.0;
    data.mask = mask;
    data.weights = d.obswt;
    data.signbyte = sign;
    stats::CritSettings crit;
    crit.icrit = 5;
    search::Evaluator ev(data, crit, search::rank_settings(1, false, true, d.lc));

    search::ExclusionContext cx;
    cx.yvars = {malig};
    const std::vector<int> lines = search::usable_lines(t, cx);
    ASSERT_EQ(lines.size(), 9u); // malig's own line is left out
    search::SearchResults results;
    partition::SkipTally skips;
    search::Ranking ranking;
    search::FixposState fix;
    search::run_ranking(ev, t, lines, results, skips, ranking, &fix, {});
    {
        // Worked out on worker threads before the first candidate, the
        // directions are the same to the last bit.
        search::Evaluator early(data, crit, search::rank_settings(1, false, true, d.lc));
        search::SearchResults r2;
        search::Ranking k2;
        search::FixposState f2;
        search::SearchThreads threads;
        search::RankHooks hooks;
        hooks.parallel = threads.parallel(3, {});
        search::run_ranking(early, t, lines, r2, skips, k2, &f2, hooks);
        EXPECT_EQ(f2.cor, fix.cor);
        EXPECT_EQ(k2.order, ranking.order);
    }
    search::FixposRun fr{t, d, stats::Censoring{}, false, true, false, run->sv, run->log};
    search::decide_directions(fix, fr);
    run->sv.replay(fr.told, &run->log);

    const std::map<std::string, std::vector<double>> ref{{"thick", {0.519122, 0.687050, 0.624780}},
                                                         {"usize", {0.776717, 0.840188, 0.771234}},
                                                         {"ushape", {0.720658, 0.814061, 0.771929}},
                                                         {"adhes", {0.661112, 0.695684, 0.579698}},
                                                         {"epsize", {0.776719, 0.719999, 0.519201}},
                                                         {"barenuc", {0.783967, 0.804980, 0.742019}},
                                                         {"chromat", {0.608315, 0.791610, 0.636202}},
                                                         {"nucleoli", {0.698088, 0.702619, 0.561657}},
                                                         {"mitoses", {0.523825, 0.466872}}};
    const auto items = search::fixpos_items(fix, t, ranking.order);
    ASSERT_EQ(items.size(), 26u);
    for (const auto& it : items) {
        const files::AttrLine& l = t.line[static_cast<std::size_t>(it.line)];
        const auto& r = ref.at(io::trim(l.name, " $"));
        const int cut = it.attribute - l.first_attribute();
        EXPECT_NEAR(std::stod(it.text.substr(41, 6)), r[static_cast<std::size_t>(cut)], 0.0006) << it.text;
        if (cut == 0) {
            EXPECT_NEAR(std::stod(it.text.substr(29, 6)), *std::max_element(r.begin(), r.end()), 0.0006) << it.text;
        }
        EXPECT_FALSE(l.swapped);
    }
}

} // namespace
} // namespace meru::test
