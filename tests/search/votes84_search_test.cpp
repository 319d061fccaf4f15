// A whole search on votes84 read through the files library: "Up to 2 2",
// non-iterative, Chi-square, both sides, Y = repub. The evaluated counts per
// size vector are the candidate counts: 16 votes; C(16, 2) pairs on each side;
// C(120, 2) pairs of pairs on each side; (1,1) and (2,1) are skipped. The best G
// at complexities 1 and 2 come from Pearson's chi-square of each vote, and of
// each pair of votes joined by AND (missing unless settled), against repub,
// worked out apart from this code (Python, standard library): vote 4 gives
// 361.41826, votes 4 and 14 give 350.22424. One thread and eight give the same
// results, with no stop and with Search:End at the 5000th poll.
#include "files/data_fixture.h"
#include "search/exclusions.h"
#include "search/search_loop.h"
#include "search_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace meru::test {
namespace {

struct VotesSearch {
    std::unique_ptr<DataRun> run;
    std::vector<float> y;
    std::vector<std::uint8_t> mask;
    std::vector<std::int8_t> sign;
    std::vector<int> lines;

    VotesSearch()
    {
        std::ifstream in(std::string(MERU_EXAMPLES_DIR) + "/votes84.csv");
        std::stringstream csv;
        csv << in.rdbuf();
        run = read_data("votes84\n*\n_all_ b 1\n*\nfree comma\nDATA\n", csv.str(), "votes84.csv");
        const int n = run->r.nread;
        for (int i = 1; i <= n; ++i) y.push_back(run->x(i, "repub"));
        mask.assign(static_cast<std::size_t>(run->d.n), 1);
        y.resize(static_cast<std::size_t>(run->d.n), -1.0f);
        sign.assign(static_cast<std::size_t>(run->d.lc) + 1, 1);
        // Every vote: the data pass bans two of them (few cases on one side), but
        // the search here takes all sixteen.
        search::ExclusionContext cx;
        cx.yvars = {run->var("repub")};
        for (int k = 1; k <= run->t.nlines; ++k) {
            const search::Exclusion e = search::line_exclusion(run->t, k, cx);
            if (e == search::Exclusion::None || e == search::Exclusion::Banned) lines.push_back(k);
        }
    }

    struct Out {
        search::SearchResults results;
        search::LoopResult r;
        std::vector<std::string> log;
        RecordingHost host;
    };

    std::unique_ptr<Out> search(int threads, int end_at) const
    {
        auto out = std::make_unique<Out>();
        search::EvaluationData d;
        d.abyte = stats::AttributeMatrix(run->d.abyte, run->d.lc, run->d.n);
        d.y[0] = y;
        d.ymax[0] = 1.0;
        d.mask = mask;
        d.weights = run->d.obswt;
        d.signbyte = sign;
        stats::CritSettings crit;
        crit.icrit = static_cast<int>(stats::Criterion::ChiSquare);
        search::EvaluationSettings es;
        es.search_stage = true;
        search::Evaluator ev(d, crit, es);
        search::LoopSettings s;
        s.tables = &run->t;
        s.lines = lines;
        s.extent.upto = true;
        stats::set_extent(s.extent, {2, 2});
        s.pair.reduce.tables = &run->t;
        s.threads = threads;
        s.data = &d;
        s.crit = &crit;
        partition::SkipTally skips;
        stats::ExtentBox box;
        partition::SubsizeMemory memory;
        io::LogWriter log;
        log.set_trace_sink([&](std::string_view l) { out->log.emplace_back(l); });
        out->host.end_at = end_at;
        out->r = search::run_search_loop(s, ev, out->results, skips, box, memory, log, out->host);
        return out;
    }
};

float best_at(const search::SearchResults& r, int complexity)
{
    for (const auto& e : r.bestlist.entries())
        if (e.complexity == complexity) return e.value;
    return -1.0f;
}

TEST(Votes84Search, CountsPerSizeVectorBestGAndThreads)
{
    const VotesSearch v;
    ASSERT_EQ(v.run->r.nread, 435);
    ASSERT_EQ(v.lines.size(), 16u);
    const auto one = v.search(1, -1);
    using V = std::vector<int>;
    const std::vector<V> shapes{{1}, {2}, {1, 1}, {2, 1}, {2, 2}};
    const std::vector<long long> evaluated{16, 240, 0, 0, 14280};
    ASSERT_EQ(one->r.per_vector.size(), shapes.size());
    for (std::size_t k = 0; k < shapes.size(); ++k) {
        EXPECT_EQ(one->r.per_vector[k].p, shapes[k]);
        EXPECT_EQ(one->r.per_vector[k].skipped, evaluated[k] == 0);
        EXPECT_EQ(one->r.per_vector[k].evaluated, evaluated[k]);
    }
    EXPECT_NEAR(best_at(one->results, 1), 361.41826, 1e-3);
    EXPECT_NEAR(best_at(one->results, 2), 350.22424, 1e-3);

    for (int end_at : {-1, 5000}) {
        SCOPED_TRACE("end at " + std::to_string(end_at));
        const auto a = end_at < 0 ? nullptr : v.search(1, end_at);
        const auto& base = end_at < 0 ? *one : *a;
        const auto eight = v.search(8, end_at);
        EXPECT_EQ(eight->r.evaluated, base.r.evaluated);
        EXPECT_EQ(eight->log, base.log);
        EXPECT_EQ(eight->host.polls, base.host.polls);
        EXPECT_EQ(eight->results.searchg_count, base.results.searchg_count);
        ASSERT_EQ(eight->results.bestlist.count(), base.results.bestlist.count());
        for (int i = 0; i < base.results.bestlist.count(); ++i) {
            const auto& x = eight->results.bestlist.entries()[static_cast<std::size_t>(i)];
            const auto& y = base.results.bestlist.entries()[static_cast<std::size_t>(i)];
            EXPECT_EQ(x.value, y.value);
            EXPECT_EQ(x.list.lits, y.list.lits);
        }
        for (int i = 0; i < search::TopList::kCapacity; ++i)
            EXPECT_EQ(eight->results.top10.slots()[static_cast<std::size_t>(i)].list.lits,
                      base.results.top10.slots()[static_cast<std::size_t>(i)].list.lits);
        if (end_at > 0) {
            EXPECT_EQ(base.results.evaluated, end_at);
        }
    }
}

} // namespace
} // namespace meru::test
