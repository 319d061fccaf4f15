// The viewer's keys from the window's queue: extended keys by their second code,
// an empty queue gives a blank and a beep, a full queue drops the 256th key with a
// beep, and keystart empties the queue.
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/units.h"
#include "platform/window.h"
#include "support/qt_application.h"
#include "ui/viewer/keys.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace meru::ui::viewer {
namespace {

class KeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame.show();
        ASSERT_TRUE(frame.open_window(kUnit, "View x"));
    }
    void type(int key, const QString& text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(&frame.window(kUnit)->view(), &press);
    }
    static constexpr int kUnit = 57;
    platform::UnitRegistry units;
    platform::Frame frame{units};
};

TEST_F(KeysTest, ExtendedKeysGiveTheirSecondCode)
{
    keystart(frame, kUnit);
    type(Qt::Key_PageDown);
    type(Qt::Key_PageUp);
    type(Qt::Key_Escape);
    type(Qt::Key_3, "3");
    EXPECT_TRUE(keywait(frame, kUnit));
    EXPECT_EQ(keyget(frame, kUnit), 'Q');
    EXPECT_EQ(keyget(frame, kUnit), 'I');
    EXPECT_EQ(keyget(frame, kUnit), 27);
    EXPECT_EQ(keyget(frame, kUnit), '3');
    EXPECT_FALSE(keywait(frame, kUnit));

    const int beeps = platform::beep_count();
    EXPECT_EQ(keyget(frame, kUnit), ' ');
    EXPECT_EQ(platform::beep_count(), beeps + 1);
}

TEST_F(KeysTest, AFullQueueDropsTheNewestKeyAndKeystartEmptiesIt)
{
    keystart(frame, kUnit);
    const int beeps = platform::beep_count();
    for (int k = 0; k < 256; ++k) type(Qt::Key_A + (k % 26), QString(QChar('a' + k % 26)));
    EXPECT_EQ(platform::beep_count(), beeps + 1);
    for (int k = 0; k < 255; ++k) ASSERT_EQ(keyget(frame, kUnit), 'a' + k % 26) << k;
    EXPECT_FALSE(keywait(frame, kUnit));

    type(Qt::Key_PageDown);
    keystart(frame, kUnit);
    EXPECT_FALSE(keywait(frame, kUnit));
    EXPECT_EQ(frame.focus(), kUnit);
}

} // namespace
} // namespace meru::ui::viewer
