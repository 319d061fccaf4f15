// The tests' wait budget: a test that outlives it ends its suite at once with a
// failure that names it, instead of hanging until ctest's timeout.
#include "support/qt_application.h"

#include <gtest/gtest.h>

#include <thread>

namespace meru::test {
namespace {

TEST(WaitBudgetDeathTest, ATestThatOutlivesItsBudgetEndsTheSuiteNamingIt)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            WaitBudget budget(std::chrono::milliseconds(20));
            budget.OnTestStart(*::testing::UnitTest::GetInstance()->current_test_info());
            for (;;) std::this_thread::sleep_for(std::chrono::milliseconds(10)); // a wait that never ends
        },
        ::testing::ExitedWithCode(1),
        "WaitBudgetDeathTest.ATestThatOutlivesItsBudgetEndsTheSuiteNamingIt: still running");
}

} // namespace
} // namespace meru::test
