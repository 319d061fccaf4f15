// The output log writer.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/io/iostat.h"
#include "platform/io/logwriter.h"
#include "platform/io/safe_files.h"
#include "platform/io/write_locks.h"
#include "platform/io/temp_dir.h"

using namespace meru::io;
using meru::io::testing::read_all;
using meru::io::testing::TempDir;

TEST(LogWriter, WriteWhileClosedNeverCreatesAFile)
{
    TempDir dir;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    LogWriter log;
    std::vector<std::string> traced;
    log.set_trace_sink([&](std::string_view s) { traced.emplace_back(s); });
    log.write("Cannot change to directory /x");
    log.flush();
    log.close();
    std::filesystem::current_path(before);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
    EXPECT_EQ(traced, std::vector<std::string>{"Cannot change to directory /x"});
    EXPECT_EQ(log.dropped(), 1);
}

TEST(LogWriter, CreateReplacesAndAppendKeeps)
{
    TempDir dir;
    const std::string path = dir.write("RUN.LOG", "old contents\n");
    LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    ASSERT_EQ(log.create(path), kOk);
    log.write("%File:Open    ");
    log.write("");
    log.flush();
    EXPECT_EQ(read_all(path), "%File:Open\n\n"); // trailing blanks dropped
    log.close();
    EXPECT_FALSE(log.is_open());

    ASSERT_EQ(log.append(path), kOk);
    log.write_lines("a\nb");
    log.close();
    EXPECT_EQ(read_all(path), "%File:Open\n\na\nb\n");

    log.write("after close"); // dropped: the file is unchanged
    EXPECT_EQ(read_all(path), "%File:Open\n\na\nb\n");
}

// A live log (as another program holds it) is neither made anew, replaced,
// appended to nor moved by a second writer, until its own writer closes it.
TEST(LogWriter, ALiveLogIsLeftToItsWriter)
{
    TempDir dir;
    const std::string path = dir.file("RUN.LOG");
    LogWriter first, second;
    ASSERT_EQ(first.create_new(path), kOk);
    first.write("first");
    EXPECT_EQ(second.create_new(path), kErrOpen);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(second.create(path), kErrOpen);
    EXPECT_EQ(second.append(path), kErrOpen);
    EXPECT_EQ(errno, EWOULDBLOCK);
    EXPECT_EQ(rename_unheld(path, dir.file("RUN.L01")), EWOULDBLOCK);
    // A file written over it (a picture saved under its name) is refused at once.
    EXPECT_EQ(replace_contents(path, "picture"), "is the output log of an open analysis");
    first.write("still first");
    EXPECT_EQ(read_all(path), "first\nstill first\n");
    first.close();
    EXPECT_EQ(rename_unheld(path, dir.file("RUN.L01")), 0);
}

TEST(LogWriter, OpenFailureLeavesItClosed)
{
    TempDir dir;
    LogWriter log;
    log.set_trace_sink([](std::string_view) {});
    EXPECT_GT(log.create(dir.file("no/such/folder/x.log")), 0);
    EXPECT_FALSE(log.is_open());
    ASSERT_EQ(log.append(dir.file("new.log")), kOk); // append creates a missing file
    log.close();
    EXPECT_TRUE(std::filesystem::exists(dir.file("new.log")));
}

TEST(LogWriter, AFullDiskIsToldOnceAndTheWriterGoesOn)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    meru::io::LogWriter log;
    std::vector<std::string> told;
    log.set_failure_sink(
        [&](const std::string& path, const std::string& reason) { told.push_back(path + ": " + reason); });
    ASSERT_EQ(log.create("/dev/full"), 0);
    for (int i = 0; i < 5; ++i) log.write("a line that cannot be kept");
    log.flush();
    EXPECT_EQ(told, std::vector<std::string>{"/dev/full: " + std::string(std::strerror(ENOSPC))});
    // A new log is told again.
    ASSERT_EQ(log.create("/dev/full"), 0);
    log.write("again");
    EXPECT_EQ(told.size(), 2u);
}

// The disk fills inside the second line and stays full over a close and a
// reopening for appending (as between by-groups); when it frees, the cut line is
// ended and a line says what was lost (the cut line's last 15 of 21 bytes and two
// whole lines of 6 and 5 bytes), told once. A later loss is told again and marked
// when the log is closed (at exit) with room again.
TEST(LogWriter, AfterAFullDiskTheLogSaysWhatWasLost)
{
    TempDir dir;
    const std::string path = dir.file("RUN.LOG");
    LogWriter log;
    long room = 1000;
    log.set_writer([&](int fd, const char* data, std::size_t n) -> long {
        if (room == 0) {
            errno = ENOSPC;
            return -1;
        }
        const long k = ::write(fd, data, std::min<std::size_t>(n, static_cast<std::size_t>(room)));
        room -= k;
        return k;
    });
    std::vector<std::string> told;
    log.set_failure_sink([&](const std::string&, const std::string& reason) { told.push_back(reason); });
    ASSERT_EQ(log.create(path), kOk);
    log.write("line one");
    room = 6;
    log.write("a longer second line");
    log.write("third");
    log.close();
    ASSERT_EQ(log.append(path), kOk);
    log.write("four");
    EXPECT_EQ(told.size(), 1u);
    room = 1000;
    log.write("back again");
    room = 0;
    log.write("lost too");
    room = 1000;
    log.close();
    const std::string lost = " bytes not written to the log (No space left on device)\n";
    EXPECT_EQ(read_all(path), "line one\na long\nWARNING: output lost here: 3 line(s), 26" + lost +
                                  "back again\nWARNING: output lost here: 1 line(s), 9" + lost);
    EXPECT_EQ(told, std::vector<std::string>(2, "No space left on device"));

    // Opened again for appending, a log that ends in a cut line starts a new one.
    {
        std::ofstream(path, std::ios::binary | std::ios::app) << "cut";
    }
    log.set_writer({});
    ASSERT_EQ(log.append(path), kOk);
    log.write("next");
    log.close();
    EXPECT_EQ(read_all(path).substr(read_all(path).size() - 9), "cut\nnext\n");
}
