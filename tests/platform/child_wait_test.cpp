// Waiting for another program while this one keeps serving its events.
#include "platform/child_wait.h"
#include "platform/io/os.h"
#include "support/qt_application.h"

#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

using namespace meru;

namespace {

// A child that ends (status 0) once `flag` exists, and gives up (status 3) after
// about 20 s: it can end well only if something made the file while it ran.
std::vector<std::string> wait_for_file(const std::string& flag)
{
    return {"-c", "i=0; while [ ! -e \"$1\" ]; do i=$((i+1)); [ $i -gt 400 ] && exit 3; sleep 0.05; done", "sh",
            flag};
}

} // namespace

TEST(ChildWait, ATimerFiresWhileTheChildRuns)
{
    QTemporaryDir dir;
    const std::string flag = dir.path().toStdString() + "/made-by-the-timer";
    bool fired = false;
    QTimer::singleShot(0, [&] {
        fired = true;
        std::ofstream(flag) << "x";
    });
    EXPECT_EQ(platform::run_and_wait("sh", wait_for_file(flag)), 0);
    EXPECT_TRUE(fired);
}

TEST(ChildWait, TheCallerRunsBetweenLooksAndStatusesComeBack)
{
    QTemporaryDir dir;
    const std::string flag = dir.path().toStdString() + "/made-between";
    int calls = 0;
    const auto between = [&] {
        if (++calls == 1) std::ofstream(flag) << "x";
    };
    EXPECT_EQ(io::run_and_wait("sh", wait_for_file(flag), between), 0);
    EXPECT_GE(calls, 1);
    EXPECT_EQ(io::run_and_wait("sh", {"-c", "exit 7"}, between), 7);
    EXPECT_EQ(io::run_and_wait("meru-no-such-program-anywhere", {}, between), -1);
}
