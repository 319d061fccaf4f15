// The diagram fit report: cell table, fit statistics, overlaps, the status text
// and the pairwise kappas, on hand-built diagram states.
#include "stats/diagram_fit_report.h"

#include "log_capture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace meru;
using namespace meru::stats;
using meru::test::LogCapture;

namespace {

DiagramState two_groups(std::vector<double> f, std::vector<double> a)
{
    DiagramState st;
    for (std::size_t i = 0; i < f.size(); ++i) {
        st.count[i] = f[i];
        st.area[i] = a[i];
    }
    return st;
}

const std::vector<int> kDigits{1, 2, 3, 4, 5, 6};

} // namespace

TEST(Kappas, ReportOfTwoSubgroups)
{
    // Counts (outside both, 1 alone, 2 alone, both) = (6, 2, 1, 11); areas off by
    // 0.5 each way. F = A = 20, e_i = -/+0.025, E = 10%; X^2 = 0.25 (1/5.5 + 1/2.5 +
    // 1/1.5 + 1/10.5) = 0.3359307 on 4 cells, P = Q(2, X^2/2) = e^-x (1 + x) =
    // 0.9873782. Q index = 11/14; overlaps 1 - 2/13 and 1 - 1/12, weighted 22/25;
    // kappa = (17/20 - 212/400) / (1 - 212/400) = 32/47.
    DiagramState st = two_groups({6, 2, 1, 11}, {5.5, 2.5, 1.5, 10.5});
    LogCapture cap;
    const DiagramFit fit = kappas(st, 2, kDigits, "Random", true, cap.log);

    EXPECT_DOUBLE_EQ(st.total_count, 20.0);
    EXPECT_DOUBLE_EQ(st.total_area, 20.0);
    EXPECT_NEAR(st.error, 0.1, 1e-12);
    EXPECT_NEAR(fit.e_max, 0.025, 1e-12);
    EXPECT_NEAR(fit.chisq, 0.3359307359, 1e-9);
    EXPECT_EQ(fit.k, 4);
    EXPECT_NEAR(fit.fit_p, 0.9873781969, 1e-9);
    EXPECT_NEAR(fit.q_index, 11.0 / 14.0, 1e-12);
    EXPECT_NEAR(fit.overlap[0], 11.0 / 13.0, 1e-12);
    EXPECT_NEAR(fit.overlap[1], 11.0 / 12.0, 1e-12);
    EXPECT_NEAR(fit.mean_overlap, 0.88, 1e-12);
    EXPECT_EQ(fit.group_error, 0.0);
    ASSERT_EQ(fit.kappas.size(), 1u);
    EXPECT_NEAR(fit.kappas[0].kappa, 32.0 / 47.0, 1e-12);
    EXPECT_EQ(fit.nonempty, 4);
    EXPECT_EQ(st.mismatched, 0);
    EXPECT_EQ(st.group_count[0], 13.0);
    EXPECT_EQ(st.group_area[1], 12.0);
    EXPECT_EQ(st.pattern[0], "**    ");
    EXPECT_EQ(st.pattern[3], "12    ");
    EXPECT_EQ(st.status, "E= 10.0% E_max=  2.5% Start=Random       Fit P=0.9874");

    const std::vector<std::string> expected{
        "          f_i       a_i       e_i% (f_i-a_i)^2/a_i       12",
        " ----------------------------------------------------------------",
        "          6.0       5.500     2.500          0.0       **",
        "          2.0       2.500     2.500          0.1       1*",
        "          1.0       1.500     2.500          0.2       *2",
        "         11.0      10.500     2.500          0.0       12",
        " ------------------------------------------------------------",
        "         20.0      20.000    10.000",
        " Q index=#Intersection/#Union=  0.786",
        " Subgroup        Sum f_i         Area  Overlap",
        " --------------------------------------------------",
        "    1             13.0        13.000      0.846",
        "    2             12.0        12.000      0.917",
        " --------------------------------------------------",
        "                  25.0   Wght Average:    0.880",
        " Kappa agreement scores of pairwise subgroups:",
        "          1   2     0.681",
    };
    EXPECT_EQ(cap.lines, expected);
}

TEST(Kappas, PerfectFitAndEmptyCells)
{
    // A perfect fit: E = 0, X^2 = 0, Fit P = 1. A cell without count or area is
    // neither printed nor counted.
    DiagramState st = two_groups({0, 4, 3, 2}, {0, 4, 3, 2});
    LogCapture cap;
    const DiagramFit fit = kappas(st, 2, kDigits, "Saved", true, cap.log);
    EXPECT_EQ(st.error, 0.0);
    EXPECT_EQ(fit.chisq, 0.0);
    EXPECT_EQ(fit.fit_p, 1.0);
    EXPECT_EQ(fit.k, 3);
    EXPECT_EQ(fit.nonempty, 3);
    EXPECT_EQ(cap.lines[2], "          4.0       4.000     0.000          0.0       1*");
    EXPECT_EQ(st.status, "E= 0.0% E_max= 0.0% Start=Saved        Fit P=1.0000");
    // The pattern of the skipped cell is still written.
    EXPECT_EQ(st.pattern[0], "**    ");
}

TEST(Kappas, AbsentAndSurplusCellsAreMismatches)
{
    // Cell 1 holds 3 observations but no area; cell 2 has area 2 but no count.
    DiagramState st = two_groups({0, 3, 0, 5}, {0, 0, 2, 5});
    LogCapture cap;
    const DiagramFit fit = kappas(st, 2, std::vector<int>{4, 7}, "Random", true, cap.log);
    EXPECT_EQ(fit.absent, 1);
    EXPECT_EQ(fit.surplus, 1);
    EXPECT_EQ(st.mismatched, 2);
    EXPECT_EQ(fit.k, 2);
    EXPECT_NEAR(fit.chisq, 2.0, 1e-12);
    EXPECT_EQ(cap.lines[0], "          f_i       a_i       e_i% (f_i-a_i)^2/a_i       47");
    EXPECT_EQ(cap.lines[2], "          3.0       0.000    37.500  Absent cell       4*");
    EXPECT_EQ(cap.lines[3], "          0.0       2.000    25.000  X       2.0       *7");
}

TEST(Kappas, KappaOfIdenticalAndOfDisjointSubgroups)
{
    LogCapture cap;
    DiagramState same = two_groups({5, 0, 0, 5}, {5, 0, 0, 5});
    EXPECT_NEAR(kappas(same, 2, kDigits, "", false, cap.log).kappas[0].kappa, 1.0, 1e-12);
    DiagramState apart = two_groups({0, 5, 5, 0}, {0, 5, 5, 0});
    const DiagramFit fit = kappas(apart, 2, kDigits, "", false, cap.log);
    EXPECT_NEAR(fit.kappas[0].kappa, -1.0, 1e-12);
    // No intersection and nothing in the union: Q index 0.
    EXPECT_EQ(fit.q_index, 0.0);
    DiagramState outside = two_groups({9, 0, 0, 0}, {9, 0, 0, 0});
    EXPECT_EQ(kappas(outside, 2, kDigits, "", false, cap.log).q_index, 0.0);
    EXPECT_TRUE(cap.lines.empty());
}

TEST(Kappas, OneSubgroupAndTheGroupSizeMessage)
{
    // One subgroup whose rectangle is too small: S = 10, A = 8, error 20%. No
    // summary and no kappa section.
    DiagramState st = two_groups({2, 10}, {2, 8});
    LogCapture cap;
    const DiagramFit fit = kappas(st, 1, kDigits, "Random", true, cap.log);
    EXPECT_NEAR(fit.group_error, 20.0, 1e-12);
    EXPECT_EQ(st.status, " Group rectangle sizes are in error = 20.0% Press \"Nudge\" to correct");
    EXPECT_EQ(cap.lines.back(), "  Group rectangle sizes are in error = 20.0% Press \"Nudge\" to correct");
    EXPECT_TRUE(fit.kappas.empty());

    DiagramState quiet = two_groups({2, 10}, {2, 8});
    quiet.suppress_size_message = true;
    kappas(quiet, 1, kDigits, "Random", false, cap.log);
    EXPECT_EQ(quiet.status, "");
}

TEST(Kappas, CountPowerAndFirstCell)
{
    // Counts raised to a power: the heads name it. With the first cell index 1 the
    // cell outside every subgroup takes no part.
    DiagramState st = two_groups({100, 2, 1, 3}, {50, 2, 1, 3});
    st.count_power = 0.5;
    st.first_cell = 1;
    LogCapture cap;
    const DiagramFit fit = kappas(st, 2, kDigits, "Random", true, cap.log);
    EXPECT_EQ(st.total_count, 6.0);
    EXPECT_EQ(st.error, 0.0);
    EXPECT_EQ(cap.lines[0], "          f_i^0.50  a_i       e_i% (f_i^-a_i)^2/a_i      12");
    EXPECT_EQ(cap.lines[8], " Subgroup        Sum f_i^0.50   Area Overlap");
    // Kappa over cells 1..3 only: t11 = 3, t12 = 1, t21 = 2, t22 = 0.
    const double po = 3.0 / 6.0, pe = (5.0 * 4.0 + 1.0 * 2.0) / 36.0;
    EXPECT_NEAR(fit.kappas[0].kappa, (po - pe) / (1.0 - pe), 1e-12);
}

TEST(Kappas, SubgroupsOutsideTheDiagramLimit)
{
    DiagramState st;
    LogCapture cap;
    EXPECT_EQ(kappas(st, 0, kDigits, "", true, cap.log).k, 0);
    EXPECT_EQ(kappas(st, 7, kDigits, "", true, cap.log).k, 0);
    EXPECT_TRUE(cap.lines.empty());
}
