// The Search Summary: its titles, rows in fixed columns, the cross-validated
// average, the priors note and the lists of searches that found the same partition.
#include "platform/io/logwriter.h"
#include "search/search_summary.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace meru::search;
using meru::partition::TermList;

namespace {

std::vector<std::string> summary(const std::vector<SearchRecord>& r, const SummaryMode& mode,
                                 const std::vector<std::string>& ynames = {})
{
    meru::io::LogWriter log;
    std::vector<std::string> lines;
    log.set_trace_sink([&](std::string_view l) { lines.emplace_back(l); });
    searchsum(r, mode, ynames, log);
    return lines;
}

TermList terms(std::initializer_list<std::initializer_list<int>> ts)
{
    TermList t;
    for (auto term : ts) t.add_term(term);
    return t;
}

SearchRecord rec(TermList list, int flag = 1)
{
    SearchRecord r;
    r.evaluated = 1234;
    r.complexity = 3;
    r.gbeta = 12.5f;
    r.resub_error = 20.5f;
    r.nobs = 300;
    r.list = std::move(list);
    r.flag = flag;
    return r;
}

const std::string kHeader = "  Search #parts  Complexity  Penalised_eff. Resub_error  Resub_n  Test_error   Test_n";
const std::string kRule = "     ----------------------------------------------------------------------------------";

} // namespace

TEST(SearchSummary, NoRecordsAndTrainingOnlyRows)
{
    EXPECT_EQ(summary({}, {}), (std::vector<std::string>{"Cannot compute summary. No information"}));

    SearchRecord second = rec(terms({{4}}));
    second.test_n = 50; // a test size with only a training sample still shows "-"
    second.test_error = 7.25f;
    SummaryMode training;
    training.training_only = true;
    const auto lines = summary({rec(terms({{2, 3}})), second}, training);
    const std::string row1 = "    1   1234        3            12.50000      20.50%    300         -            0";
    const std::string row2 = "    2   1234        3            12.50000      20.50%    300         -           50";
    EXPECT_EQ(lines, (std::vector<std::string>{" Training sample only. Resubstitution (training) error", kHeader,
                                               kRule, row1, row2, kRule}));
    EXPECT_EQ(kRule.size(), 87u);

    // Training and test: the test error shows unless the test size is 0.
    SummaryMode both;
    both.training_and_test = true;
    const auto tt = summary({second, rec(terms({{2}}))}, both);
    EXPECT_EQ(tt[0], " Training and test sample. Resubstitution and test error");
    EXPECT_EQ(tt[3], "    1   1234        3            12.50000      20.50%    300         7.25%       50");
    EXPECT_EQ(tt[4], row1.substr(0, 4) + "2" + row1.substr(5));
    EXPECT_EQ(summary({second}, {})[0], "Search Summary:");

    // A count, G_beta or sample size too wide for its column widens that column
    // in every row and under its heading: the table stays aligned.
    SearchRecord wide = rec(terms({{2}}));
    wide.evaluated = 31547579;
    wide.gbeta = 309495.0375f;
    wide.nobs = 100000;
    EXPECT_EQ(summary({wide, rec(terms({{3}}))}, training),
              (std::vector<std::string>{
                  " Training sample only. Resubstitution (training) error",
                  "  Search   #parts  Complexity    Penalised_eff. Resub_error   Resub_n  Test_error   Test_n",
                  "     " + std::string(87, '-'),
                  "    1 31547579        3          309495.03125      20.50%  100000         -            0",
                  "    2     1234        3              12.50000      20.50%     300         -            0",
                  "     " + std::string(87, '-')}));

    // A criterion without an error (log-rank records -1) shows "-", never 0.00%.
    SearchRecord logrank = second;
    logrank.resub_error = -1.0f;
    logrank.test_error = -1.0f;
    EXPECT_EQ(summary({logrank}, both)[3],
              "    1   1234        3            12.50000       -        300         -           50");
}

TEST(SearchSummary, CrossValidatedAverage)
{
    SummaryMode cv;
    cv.crossval = true;
    const std::string head(42, ' ');
    // Every fold without a test sample.
    const auto none = summary({rec(terms({{2}})), rec(terms({{3}}))}, cv);
    EXPECT_EQ(none[0], " 2-fold cross-validated error estimates.");
    EXPECT_EQ(none[6], head + "Cross-validated average     No data!");
    EXPECT_EQ(none.back(), " All optimal partitions are unique");

    // 100 at 10 % and 300 at 20 %: average 7000 / 400 = 17.50;
    // SE 100 sqrt(100 * .1 * .9 + 300 * .2 * .8) / 400 = 100 sqrt(57) / 400 = 1.89.
    std::vector<SearchRecord> folds{rec(terms({{2}})), rec(terms({{3}})), rec(terms({{4}}))};
    folds[0].test_n = 100, folds[0].test_error = 10;
    folds[1].test_n = 300, folds[1].test_error = 20;
    cv.priors = true;
    const auto two = summary(folds, cv);
    EXPECT_EQ(two[0], " 3-fold cross-validated error estimates.");
    EXPECT_EQ(two[7], head + "Cross-validated average      17.50% (SE  1.89%)");
    EXPECT_EQ(two[8], "NOTE: errors based on adjusted counts for user specified priors");
}

TEST(SearchSummary, IdenticalPartitionsInAnyTermOrder)
{
    SummaryMode boot;
    boot.bootstrap = true;
    // 3 equals 1 with its terms and literals in another order; 2 holds it too but
    // for another Y, and 4 holds 2's list under the other representation: each
    // search is compared, and the unique ones counted, within its own Y.
    const TermList same_terms = terms({{4}, {3, 2}});
    const std::vector<SearchRecord> r{rec(terms({{2, 3}, {4}})), rec(same_terms), rec(same_terms),
                                      rec(same_terms, 0)};
    const auto lines = summary(r, boot, {"DEAD", "TIME", "DEAD", "TIME"});
    EXPECT_EQ(lines[0], " Bootstrap samples. Resubstitution error");
    EXPECT_EQ(lines[3], "Y: DEAD");
    EXPECT_EQ(lines[5], "Y: TIME");
    const std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{" Search  1 definition identical to search(es)  3", "Y: DEAD",
                                              " # of unique optimal partitions=1", "Y: TIME",
                                              " All optimal partitions are unique"}));

    // Twelve equal searches: the later eleven, ten to a line.
    const std::vector<SearchRecord> same(12, rec(terms({{7, 8}})));
    const auto many = summary(same, boot);
    const std::vector<std::string> end(many.end() - 3, many.end());
    EXPECT_EQ(end,
              (std::vector<std::string>{" Search  1 definition identical to search(es)  2  3  4  5  6  7  8  9 10 11",
                                        " 12", " # of unique optimal partitions=1"}));
    // Outside bootstrap and cross-validation no such lists.
    EXPECT_EQ(summary(r, {}).back(), kRule);
    EXPECT_EQ(tilde(true), '~');
    EXPECT_EQ(tilde(false), ' ');
}
