// The data arrays hold the columns and attributes in use and make room for more
// up to their dimensions, keeping what they hold.
#include "files/dataset.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace meru::test {
namespace {

using files::DataArrays;

TEST(DataArrays, MoreColumnsAndAttributesKeepTheDataAndStopAtTheDimensions)
{
    DataArrays d;
    // 3 observations, 2 variables (limit 1 + 150 columns), 3 attributes (limit 20).
    files::allocate_data(d, files::DataShape{3, 1, 20, 2, 3, false});
    ASSERT_EQ(d.columns(), 2);
    ASSERT_EQ(d.lc, 3);
    for (int i = 1; i <= 3; ++i) {
        d.x(i, 1) = static_cast<float>(i);
        d.x(i, 2) = static_cast<float>(10 * i);
        for (int a = 1; a <= 3; ++a) d.ab(a, i) = static_cast<std::uint8_t>(i * a);
    }

    // The first columns added take the room held for them: the data stay in place.
    const float* before = d.xdata.data();
    ASSERT_TRUE(d.hold_column(4));
    EXPECT_EQ(d.columns(), 4);
    EXPECT_EQ(d.xdata.data(), before);
    ASSERT_TRUE(d.hold_attribute(4));
    EXPECT_EQ(d.lc, 8); // rows grow by whole groups of 8
    ASSERT_TRUE(d.hold_attribute(8));
    EXPECT_EQ(d.lc, 8);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(d.x(i, 1), i);
        EXPECT_EQ(d.x(i, 2), 10 * i);
        EXPECT_EQ(d.x(i, 4), 0);
        for (int a = 1; a <= 3; ++a) EXPECT_EQ(d.ab(a, i), i * a) << a << " " << i;
        for (int a = 4; a <= 8; ++a) EXPECT_EQ(d.ab(a, i), 0);
    }

    ASSERT_TRUE(d.hold_attribute(17));
    EXPECT_EQ(d.lc, 20); // never past the attribute dimension
    EXPECT_EQ(d.ab(3, 2), 6);
    EXPECT_FALSE(d.hold_attribute(21));
    EXPECT_TRUE(d.hold_column(151));
    EXPECT_FALSE(d.hold_column(152));
    EXPECT_EQ(d.columns(), 151);
    EXPECT_EQ(d.x(3, 2), 30);
}

// Rows over three stretches lengthened with the copy shared out on three
// threads, as without.
TEST(DataArrays, LongerRowsCopiedOnThreadsAsAlone)
{
    DataArrays shared, alone;
    files::allocate_data(shared, files::DataShape{150001, 1, 20, 1, 5, false});
    for (std::size_t k = 0; k < shared.abyte.size(); ++k) shared.abyte[k] = static_cast<std::uint8_t>(k * 7 % 251);
    alone = shared;
    const DataArrays::Share threads = [](std::size_t n, const std::function<void(std::size_t)>& f) {
        std::vector<std::thread> t;
        for (std::size_t j = 0; j < n; ++j) t.emplace_back(f, j);
        for (std::thread& x : t) x.join();
    };
    ASSERT_TRUE(shared.hold_attribute(6, threads));
    ASSERT_TRUE(alone.hold_attribute(6));
    EXPECT_EQ(shared.lc, 8);
    EXPECT_TRUE(shared.abyte == alone.abyte);
    EXPECT_EQ(shared.ab(5, 150001), static_cast<std::uint8_t>((150000 * 5 + 4) * 7 % 251));
    EXPECT_EQ(shared.ab(6, 150001), 0);
}

} // namespace
} // namespace meru::test
