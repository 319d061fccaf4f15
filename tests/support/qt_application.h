#pragma once
// Include in any test of a Qt suite: creates the one QApplication before the
// first test runs (the suites link GoogleTest's own main). Offscreen under CTest.
// Every test of such a suite runs within the wait budget (wait_budget.h).
#include "support/wait_budget.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace meru::test {

class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "meru_test";
            static char* argv[] = {name, nullptr};
            app_ = new QApplication(argc, argv);
        }
    }
    void TearDown() override
    {
        delete app_;
        app_ = nullptr;
    }

private:
    QApplication* app_ = nullptr;
};

// Registered once per executable, however many files include this header.
inline const bool qt_application_registered =
    (::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment), true);

} // namespace meru::test
