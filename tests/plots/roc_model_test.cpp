#include "plots/roc_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace meru;
using namespace meru::plots;

namespace {

// birthwt: lwt binned by the cuts "> 110", "> 130", "> 150" against low; bin s
// passes cuts 1..s. Counts (controls, cases) per bin from R's table().
struct Binned {
    std::vector<std::uint8_t> bytes; // three attributes per observation
    std::vector<float> y;
    std::vector<std::uint8_t> mask;
    std::vector<int> weights;
    stats::SampleView view() const
    {
        return {stats::AttributeMatrix(bytes, 3, static_cast<int>(y.size())), y, mask, weights};
    }
};

Binned birthwt_lwt(float control, float kase, bool below = false)
{
    const int counts[4][2] = {{28, 25}, {50, 20}, {23, 7}, {29, 7}};
    Binned b;
    for (int s = 0; s < 4; ++s)
        for (int cls = 0; cls < 2; ++cls)
            for (int k = 0; k < counts[s][cls]; ++k) {
                for (int j = 1; j <= 3; ++j) b.bytes.push_back((s >= j) != below ? 1 : 0);
                b.y.push_back(cls ? kase : control);
            }
    b.mask.assign(b.y.size(), 1);
    b.weights.assign(b.y.size(), 1);
    return b;
}

double mann_whitney(const std::vector<int>& score0, const std::vector<int>& score1)
{
    double u = 0;
    for (int a : score0)
        for (int c : score1) u += c > a ? 1.0 : c == a ? 0.5 : 0.0;
    return u / static_cast<double>(score0.size() * score1.size());
}

} // namespace

TEST(RocModel, BirthwtAgainstR)
{
    // The cuts "lwt > c" and their complements "lwt <= c".
    for (bool below : {false, true}) {
        const Binned b = birthwt_lwt(0, 1, below);
        const auto tables = cut_tables(b.view(), std::vector<std::int8_t>(4, 1), 1, 3, false);
        const RocCurve c = roc_points(tables);
        ASSERT_TRUE(c.evaluable);
        EXPECT_EQ(c.n0, 130);
        EXPECT_EQ(c.n1, 59);
        const double a = roc_area(c);
        const auto se = auc_se(a, c.n1, c.n0);
        ASSERT_TRUE(se);
        if (!below) {
            // Sensitivity and FPR of "lwt > 110", "> 130", "> 150" from R's 2x2 tables.
            EXPECT_NEAR(c.sens[1], 0.57627118644, 1e-9);
            EXPECT_NEAR(c.fpr[1], 0.78461538462, 1e-9);
            EXPECT_NEAR(c.sens[3], 0.1186440678, 1e-9);
            EXPECT_NEAR(c.fpr[3], 0.2230769231, 1e-9);
            EXPECT_FALSE(c.rising);
            EXPECT_TRUE(below_diagonal(c));
            EXPECT_NEAR(a, 0.3709257, 1e-7);
            EXPECT_NEAR(*se, 0.04211442, 1e-7);
            EXPECT_EQ(auc_log_line(a, se), "           AUC% (SE%)  37.1( 4.21)");
        } else {
            EXPECT_TRUE(c.rising);
            EXPECT_FALSE(below_diagonal(c));
            EXPECT_NEAR(a, 0.6290743, 1e-7);
            EXPECT_NEAR(*se, 0.04498105, 1e-7);
            EXPECT_EQ(auc_log_line(a, se), "           AUC% (SE%)  62.9( 4.50)");
            EXPECT_EQ(auc_side_line("lwt", a, se), "lwt      62.9 ( 4.50)");
        }
        EXPECT_FALSE(zigzag(c));
    }
}

TEST(RocModel, BinaryYCodedAnyTwoValuesGivesTheSameTables)
{
    const Binned plain = birthwt_lwt(0, 1);
    Binned coded = birthwt_lwt(0, 100);
    coded.y = binary_classes(coded.y, 0, 100);
    coded.y[0] = -1; // a missing Y stays out
    const std::vector<std::int8_t> signs(4, 1);
    const auto a = cut_tables(plain.view(), signs, 1, 3, false);
    const auto b = cut_tables(coded.view(), signs, 1, 3, false);
    EXPECT_EQ(class_pair(a[0]).n0, 130);
    EXPECT_EQ(class_pair(b[0]).n0, 129);
    EXPECT_EQ(class_pair(a[2]).m1, class_pair(b[2]).m1);
    EXPECT_EQ(binary_classes(std::vector<float>{2, 1, 7, -1, 2}, 1, 2), (std::vector<float>{1, 0, -1, -1, 1}));
}

TEST(RocModel, StandardErrorAndItsAbsence)
{
    EXPECT_NEAR(*auc_se(0.893, 51, 58), 0.03251158, 1e-7); // the textbook example
    EXPECT_FALSE(auc_se(0.7, 0, 10));
    EXPECT_FALSE(auc_se(0.7, 10, 0));
    EXPECT_FALSE(auc_se(1.2, 10, 10));
    EXPECT_EQ(auc_log_line(0.5, std::nullopt), "           AUC% (SE%)  50.0(  n/a)");
}

TEST(RocModel, AreaIsMannWhitneyOnNestedCutsAndIgnoresOrder)
{
    std::mt19937 rng(7);
    for (int rep = 0; rep < 200; ++rep) {
        const int ncuts = 1 + static_cast<int>(rng() % 6);
        std::vector<int> s0(1 + rng() % 30), s1(1 + rng() % 30);
        for (int& v : s0) v = static_cast<int>(rng() % (ncuts + 1));
        for (int& v : s1) v = static_cast<int>(rng() % (ncuts + 1));
        // Cut j passes observations whose score is at least j.
        std::vector<double> fpr, sens;
        for (int j = 1; j <= ncuts; ++j) {
            fpr.push_back(static_cast<double>(std::count_if(s0.begin(), s0.end(), [&](int v) { return v >= j; })) /
                          static_cast<double>(s0.size()));
            sens.push_back(static_cast<double>(std::count_if(s1.begin(), s1.end(), [&](int v) { return v >= j; })) /
                           static_cast<double>(s1.size()));
        }
        const double a = roc_area(fpr, sens);
        EXPECT_NEAR(a, mann_whitney(s0, s1), 1e-12);
        std::shuffle(fpr.begin(), fpr.end(), rng); // any order of the points, even a zigzag
        std::shuffle(sens.begin(), sens.end(), rng);
        const double b = roc_area(fpr, sens);
        EXPECT_GE(b, 0.0);
        EXPECT_LE(b, 1.0);
    }
}

TEST(RocModel, DirectionAndZigzag)
{
    // A single cut is treated as falling; its area is that of the one point.
    stats::CountTable t;
    t.cells[0] = 6, t.cells[1] = 4, t.cells[2] = 2, t.cells[3] = 8; // FPR 0.4, Se 0.8
    RocCurve one = roc_points(std::vector<stats::CountTable>{t});
    EXPECT_FALSE(one.rising);
    EXPECT_DOUBLE_EQ(one.fpr[0], 1.0);
    EXPECT_DOUBLE_EQ(one.sens[2], 0.0);
    EXPECT_NEAR(roc_area(one), 0.5 * 0.4 * 0.8 + 0.6 * 0.9, 1e-12);
    // Cuts listed out of order zigzag; the area stays that of the sorted points.
    stats::CountTable u = t, v = t;
    u.cells[0] = 9, u.cells[1] = 1, u.cells[2] = 6, u.cells[3] = 4; // FPR 0.1, Se 0.4
    v.cells[0] = 2, v.cells[1] = 8, v.cells[2] = 1, v.cells[3] = 9; // FPR 0.8, Se 0.9
    const RocCurve zz = roc_points(std::vector<stats::CountTable>{u, v, t});
    EXPECT_TRUE(zz.rising);
    EXPECT_TRUE(zigzag(zz));
    const RocCurve ok = roc_points(std::vector<stats::CountTable>{u, t, v});
    EXPECT_FALSE(zigzag(ok));
    EXPECT_NEAR(roc_area(zz), roc_area(ok), 1e-12);
    // A cut with one class empty makes the curve not evaluable.
    stats::CountTable w;
    w.cells[0] = 3;
    EXPECT_FALSE(roc_points(std::vector<stats::CountTable>{t, w}).evaluable);
}

TEST(QrocModel, BirthwtAgainstRAndKappa)
{
    const Binned b = birthwt_lwt(0, 1);
    const auto tables = cut_tables(b.view(), std::vector<std::int8_t>(4, 1), 1, 3, false);
    const QrocCurve c = qroc_points(tables);
    ASSERT_TRUE(c.evaluable);
    ASSERT_EQ(c.x.size(), 5u);
    const double qi1[] = {-0.51103293892, -0.1719718892, -0.0887337986};
    const double qi0[] = {-0.09038461538, -0.1454545455, -0.1711538462};
    const double kappa[] = {-0.15360215312, -0.1576056071, -0.1168745896};
    for (int j = 1; j <= 3; ++j) {
        EXPECT_NEAR(c.y[j], qi1[j - 1], 1e-9);
        EXPECT_NEAR(c.x[j], qi0[j - 1], 1e-9);
        EXPECT_NEAR(2.0 / (1.0 / c.y[j] + 1.0 / c.x[j]), kappa[j - 1], 1e-9);
    }
    EXPECT_EQ(c.x[0], 0.0);
    EXPECT_EQ(c.y[4], 0.0);
    // A cut calling every observation positive (Q = 1) or none (Q = 0) sits at (0, 0).
    ClassPair all{true, 10, 5, 10, 5, 15};
    ClassPair none{true, 10, 5, 0, 0, 15};
    for (const ClassPair& p : {all, none}) {
        EXPECT_EQ(qroc_point(p).qi0, 0.0);
        EXPECT_EQ(qroc_point(p).qi1, 0.0);
    }
    EXPECT_EQ(cut_table_line("lwt > 110", c.y[1], c.x[1]), " lwt > 110                -0.511      -0.090");
}

TEST(CutLabels, BestAndChoice)
{
    EXPECT_EQ(best_cut(std::vector<double>{1, 3, 3, 2}), 2); // ties take the first
    EXPECT_EQ(best_cut({}), 0);
    EXPECT_EQ(labelled_cuts(5, 2), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(labelled_cuts(6, 3), (std::vector<int>{1, 3, 6}));
    EXPECT_EQ(labelled_cuts(6, 6), (std::vector<int>{1, 6}));
    EXPECT_EQ(labelled_cuts(6, 0), (std::vector<int>{1, 6}));
    EXPECT_TRUE(labelled_cuts(0, 0).empty());
}
