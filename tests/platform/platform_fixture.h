#pragma once
// A frame with its unit registry and the fonts, for the platform tests.
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/units.h"
#include "support/qt_application.h"

#include <gtest/gtest.h>

namespace meru::test {

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
        frame.show();
    }

    platform::UnitRegistry units;
    platform::Frame frame{units};
};

} // namespace meru::test
