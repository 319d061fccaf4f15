// Weighted correlations of the parallel Ys, against cov.wt(..., wt = w, cor = TRUE).
#include "outcome/correlation.h"
#include "outcome/ymenu_fixture.h"
#include "platform/io/edit.h"

#include <gtest/gtest.h>

namespace meru::test {
namespace {

TEST(Correlation, WeightedOnBirthwtWithAFrequencyColumn)
{
    auto run = read_example("birthwt");
    const int n = run->r.nread;
    ASSERT_EQ(n, 189);
    const auto column = [&](const std::string& name) {
        std::vector<float> v;
        for (int i = 1; i <= n; ++i) v.push_back(run->x(i, name));
        return v;
    };
    const auto bwt = column("bwt"), lwt = column("lwt"), age = column("age");
    std::vector<int> w;
    for (int i = 0; i < n; ++i) w.push_back(1 + i % 4); // a _FREQ_ of 1, 2, 3, 4, 1, ...
    EXPECT_NEAR(*outcome::weighted_correlation(lwt, bwt, w, {}), 0.159116, 1e-6);
    EXPECT_NEAR(*outcome::weighted_correlation(age, bwt, w, {}), 0.096612, 1e-6);
    EXPECT_NEAR(*outcome::weighted_correlation(age, lwt, w, {}), 0.208998, 1e-6);
    const std::vector<int> ones(static_cast<std::size_t>(n), 1);
    EXPECT_NEAR(*outcome::weighted_correlation(lwt, bwt, ones, {}), 0.185733, 1e-6);
}

TEST(Correlation, MaskMissingAndConstantColumns)
{
    const std::vector<float> x{1, 2, 3, 4, -1, 50};
    const std::vector<float> y{2, 4, 6, 9, 1, -7};
    const std::vector<float> c{5, 5, 5, 5, 5, 5};
    const std::vector<int> w{1, 1, 1, 1, 1, 1};
    const std::vector<char> mask{1, 1, 1, 0, 1, 1};
    // Observations 1-3 only (4 masked, 5 and 6 missing): a perfect line.
    EXPECT_NEAR(*outcome::weighted_correlation(x, y, w, mask), 1.0, 1e-12);
    EXPECT_FALSE(outcome::weighted_correlation(x, c, w, {}).has_value());
    const std::vector<int> zero(6, 0);
    EXPECT_FALSE(outcome::weighted_correlation(x, y, zero, {}).has_value());

    const auto lines = outcome::correlation_lines({"x", "c"}, {x, c}, w, {});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[3], " " + io::fmt_a("c", 15) + " " + "      ----" + io::fmt_f(1.0, 10, 3));
}

} // namespace
} // namespace meru::test
