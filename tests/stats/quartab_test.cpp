#include "stats/quartab.h"

#include "platform/io/logwriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

using meru::stats::quartab;
using meru::stats::QuartabInput;

namespace {

struct Captured {
    meru::io::LogWriter log;
    std::vector<std::string> lines;
    Captured()
    {
        log.set_trace_sink([this](std::string_view l) { lines.emplace_back(l); });
    }
    bool has(const std::string& part) const
    {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const auto& l) { return l.find(part) != std::string::npos; });
    }
};

} // namespace

TEST(Quartab, TableMeanSdAndQuartiles)
{
    Captured c;
    const std::vector<float> y{4, 2, 1, 3};
    const std::vector<int> w{1, 1, 1, 1};
    QuartabInput in;
    in.y = y;
    in.weights = w;
    in.header = "Y summary";
    in.yname = "score";
    const auto r = quartab(in, c.log);
    EXPECT_EQ(r.distinct, 4);
    EXPECT_DOUBLE_EQ(r.mean, 2.5);
    EXPECT_NEAR(r.sd, std::sqrt(5.0 / 4.0), 1e-12); // SS = 30 - 10 * 2.5, divided by W
    EXPECT_FLOAT_EQ(r.q.q25, 1);
    EXPECT_FLOAT_EQ(r.q.q50, 2);
    EXPECT_FLOAT_EQ(r.q.q75, 3);
    EXPECT_EQ(r.abs_total, 4);
    EXPECT_EQ(c.lines.front(), "Y summary");
    EXPECT_TRUE(c.has(" Frequency distribution: score"));
    EXPECT_TRUE(c.has("        1   1.0000                1  25.0%  25.0%"));
    EXPECT_TRUE(c.has("        4   4.0000                1  25.0% 100.0%"));
    EXPECT_TRUE(c.has("                                  4 100.0%"));
    EXPECT_TRUE(c.has("25%, 50%, 75% iles"));
}

TEST(Quartab, EveryNegativeValueIsMissing)
{
    Captured c;
    const std::vector<float> y{-999, -1, 10, 20, 30, 40};
    const std::vector<int> w{2, 3, 1, 1, 1, 1};
    QuartabInput in;
    in.y = y;
    in.weights = w;
    const auto r = quartab(in, c.log);
    EXPECT_EQ(r.distinct, 5);
    EXPECT_DOUBLE_EQ(r.total, 4);
    EXPECT_DOUBLE_EQ(r.mean, 25);
    EXPECT_FLOAT_EQ(r.q.q50, 20);
    EXPECT_TRUE(c.has("        1   missing               5"));
    EXPECT_TRUE(c.has("        5   40.000                1  25.0% 100.0%"));
    for (const auto& l : c.lines) EXPECT_EQ(l.find("125.0%"), std::string::npos) << l;
}

TEST(Quartab, ManyDistinctValuesGiveNoTableButTheSummary)
{
    Captured c;
    std::vector<float> y;
    std::vector<int> w;
    for (int i = 1; i <= 150; ++i) {
        y.push_back(static_cast<float>(i));
        w.push_back(1);
    }
    QuartabInput in;
    in.y = y;
    in.weights = w;
    in.yname = "x";
    const auto r = quartab(in, c.log);
    EXPECT_EQ(r.distinct, 150);
    EXPECT_FALSE(c.has("Frequency distribution"));
    EXPECT_TRUE(c.has(" Variable x"));
    EXPECT_TRUE(c.has("25%, 50%, 75% iles"));
    EXPECT_FLOAT_EQ(r.q.q50, 75); // type 4: n p = 75 exactly
}

TEST(Quartab, NoWeightMeansNoObservations)
{
    Captured c;
    const std::vector<float> y{1, 2};
    const std::vector<int> w{0, 0};
    const std::vector<char> mask{1, 1};
    QuartabInput in;
    in.y = y;
    in.weights = w;
    in.mask = mask;
    const auto r = quartab(in, c.log);
    EXPECT_EQ(c.lines, (std::vector<std::string>{"  No observations!"}));
    EXPECT_EQ(r.mean, 0);
}

TEST(Quartab, CensoredWeightIsShownApartAndMaskedObservationsLeftOut)
{
    Captured c;
    const std::vector<float> y{5, 5, 7, 100};
    const std::vector<int> w{1, 2, 1, 1};
    const std::vector<char> cens{1, 0, 0, 0};
    const std::vector<char> mask{1, 1, 1, 0};
    QuartabInput in;
    in.y = y;
    in.weights = w;
    in.censored = cens;
    in.mask = mask;
    in.censor_flag = true;
    in.yname = "time";
    const auto r = quartab(in, c.log);
    EXPECT_EQ(r.distinct, 3);
    EXPECT_DOUBLE_EQ(r.total, 4);
    EXPECT_FLOAT_EQ(r.max, 7);
    EXPECT_TRUE(c.has("            5.0000     has      1 censored observations"));
    EXPECT_FALSE(c.has("iles"));
}

TEST(Quartab, EncodedValuesShowTheirStateCharacter)
{
    Captured c;
    const std::vector<float> y{10, 11, 11};
    const std::vector<int> w{1, 1, 1};
    QuartabInput in;
    in.y = y;
    in.weights = w;
    in.encoded = true;
    in.yname = "grade";
    quartab(in, c.log);
    EXPECT_TRUE(c.has("grade          (encoded)"));
    EXPECT_TRUE(c.has("        1  A(10)"));
    EXPECT_TRUE(c.has("        2  B(11)"));
}
