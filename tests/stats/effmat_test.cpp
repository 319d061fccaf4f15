// Effect matrices between the parts of two lists. Reference values computed in R
// with the textbook Wald formulas: Katz for the relative risk, Woolf for the odds
// ratio, the log rate ratio with variance 1/d1 + 1/d2, and the mean difference with
// the variances SS/n^2.
#include "stats/effmat.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace meru::stats {
namespace {

using test::close_rel;
using test::LogCapture;

// A list of q terms whose parts have the counts, sums and censored counts given
// (the last entry is the whole list).
SubStat parts(std::vector<PartStat> p)
{
    SubStat st;
    st.q = static_cast<int>(p.size()) - 1;
    st.part = std::move(p);
    return st;
}

PartStat part(std::int64_t n, double s, double q = 0.0, std::int64_t censored = 0)
{
    PartStat p;
    p.n = n;
    p.s = s;
    p.q = q;
    p.censored = censored;
    return p;
}

void expect_cell(const EffectCell& c, int row, int col, double v, double lo, double hi)
{
    EXPECT_EQ(c.row, row);
    EXPECT_EQ(c.col, col);
    EXPECT_TRUE(close_rel(c.value, v, 1e-9)) << c.value << " vs " << v;
    EXPECT_TRUE(close_rel(c.lower, lo, 1e-9)) << c.lower << " vs " << lo;
    EXPECT_TRUE(close_rel(c.upper, hi, 1e-9)) << c.upper << " vs " << hi;
}

void expect_finite(const std::vector<EffectMatrix>& m)
{
    for (const auto& mat : m)
        for (const auto& c : mat.cells) {
            EXPECT_TRUE(std::isfinite(c.value));
            EXPECT_TRUE(std::isfinite(c.lower));
            EXPECT_TRUE(std::isfinite(c.upper));
        }
}

TEST(EffMat, BinaryYRiskMatrices)
{
    // Rows: terms with 5/6 and 4/5 positives, the list 6/8; columns: a one-term
    // list (only its whole list is shown) with 1/4.
    const SubStat rows = parts({part(6, 5), part(5, 4), part(8, 6)});
    const SubStat cols = parts({part(4, 1), part(4, 1)});
    EffmatOptions opt;
    opt.binary = true;
    std::string text;
    LogCapture cap;
    const auto m = effmat(rows, cols, opt, text, cap.log);
    ASSERT_EQ(m.size(), 3u);
    ASSERT_EQ(m[0].cells.size(), 3u);
    expect_cell(m[0].cells[0], 1, 2, 3.333333333, 0.5881653555, 18.89113496);
    expect_cell(m[0].cells[1], 2, 2, 3.2, 0.5543680378, 18.47148338);
    expect_cell(m[0].cells[2], 3, 2, 3.0, 0.5244996636, 17.15921024);
    expect_cell(m[1].cells[0], 1, 2, 0.5833333333, 0.06468034151, 1.101986325);
    expect_cell(m[1].cells[1], 2, 2, 0.55, -0.0004599894634, 1.100459989);
    expect_cell(m[1].cells[2], 3, 2, 0.5, -0.01972348417, 1.019723484);
    expect_cell(m[2].cells[0], 1, 2, 15.0, 0.6626066799, 339.5679622);
    expect_cell(m[2].cells[1], 2, 2, 12.0, 0.5140922274, 280.1053825);
    expect_cell(m[2].cells[2], 3, 2, 9.0, 0.5629108537, 143.8948982);
    const std::vector<std::string> first{
        "Relative  risk matrix          with 95% CI",      "   1   A-    3.333     (0.5882    ,  18.89    )",
        "   2   A-    3.200     (0.5544    ,  18.47    )", "   A   A-    3.000     (0.5245    ,  17.16    )",
        "Risk difference matrix         with 95% CI",      "   1   A-   0.5833     (0.6468E-01,  1.102    )",
    };
    ASSERT_EQ(cap.lines.size(), 12u);
    EXPECT_EQ(std::vector<std::string>(cap.lines.begin(), cap.lines.begin() + 6), first);
    EXPECT_EQ(cap.lines[8], "Odds ratio matrix              with 95% CI");
    EXPECT_EQ(text, cap.lines.back());
}

TEST(EffMat, AllPositivePartStaysFinite)
{
    const SubStat rows = parts({part(4, 4), part(4, 4)});
    const SubStat cols = parts({part(4, 1), part(4, 1)});
    EffmatOptions opt;
    opt.binary = true;
    std::string text;
    LogCapture cap;
    const auto m = effmat(rows, cols, opt, text, cap.log);
    ASSERT_EQ(m.size(), 3u);
    ASSERT_EQ(m[0].cells.size(), 1u);
    EXPECT_NEAR(m[0].cells[0].value, 0.9999 / 0.25, 1e-9);
    expect_finite(m);
}

TEST(EffMat, ContinuousMeanDifference)
{
    // The continuous Y of the 12-observation set: A's terms and whole list against
    // A- (observations 4, 5 and 9: 4.0, 0.5, 1.5).
    const SubStat rows = parts({part(6, 24, 108.5), part(5, 17.5, 72.25), part(8, 28, 118.5)});
    const SubStat cols = parts({part(3, 6, 18.5), part(3, 6, 18.5)});
    std::string text;
    LogCapture cap;
    const auto m = effmat(rows, cols, {}, text, cap.log);
    ASSERT_EQ(m.size(), 1u);
    ASSERT_EQ(m[0].cells.size(), 3u);
    expect_cell(m[0].cells[0], 1, 2, 2.0, -0.02691336218, 4.026913362);
    expect_cell(m[0].cells[1], 2, 2, 1.5, -0.6130056528, 3.613005653);
    expect_cell(m[0].cells[2], 3, 2, 1.5, -0.5012499566, 3.501249957);
    EXPECT_EQ(cap.lines[0], "Mean difference matrix with 95 with 95% CI");
}

TEST(EffMat, IncidenceRateRatioAndDifference)
{
    // Rows: 6 events over 200; columns: 6 events over 100 (A- / A, A- - A).
    const SubStat rows = parts({part(10, 200, 0, 4)});
    const SubStat cols = parts({part(8, 100, 0, 2)});
    EffmatOptions opt;
    opt.incidence = true;
    opt.binary = true; // incidence mode takes precedence
    std::string text;
    LogCapture cap;
    const auto m = effmat(rows, cols, opt, text, cap.log);
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(m[0].name, "IR ratio matrix (A-  /  A) ");
    expect_cell(m[0].cells[0], 1, 1, 2.0, 0.6450294224, 6.201267509);
    expect_cell(m[1].cells[0], 1, 1, 0.03, -0.02367681064, 0.08367681064);
    EXPECT_EQ(cap.lines[0], "IR ratio matrix (A-  /  A)     with 95% CI");
    EXPECT_EQ(cap.lines[2], "IR difference matrix (A-  -  A with 95% CI");
}

TEST(EffMat, IncidenceWithoutPersonTimeIsDefined)
{
    const SubStat rows = parts({part(5, 0, 0, 0)});
    const SubStat cols = parts({part(8, 100, 0, 2)});
    EffmatOptions opt;
    opt.incidence = true;
    std::string text;
    LogCapture cap;
    const auto m = effmat(rows, cols, opt, text, cap.log);
    ASSERT_EQ(m.size(), 2u);
    expect_finite(m);
    EXPECT_NEAR(m[1].cells[0].value, 0.06, 1e-12); // the rate of the column part
}

TEST(EffMat, NeedsMoreThanOneObservationInEachList)
{
    const SubStat rows = parts({part(1, 1)});
    const SubStat cols = parts({part(8, 3)});
    std::string text = "kept";
    LogCapture cap;
    EXPECT_TRUE(effmat(rows, cols, {}, text, cap.log).empty());
    EXPECT_TRUE(cap.lines.empty());
    EXPECT_EQ(text, "kept");
}

} // namespace
} // namespace meru::stats
