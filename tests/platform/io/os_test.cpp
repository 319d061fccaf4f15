// Operating-system services.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/io/os.h"
#include "platform/io/temp_dir.h"

using namespace meru::io;
using meru::io::testing::read_all;
using meru::io::testing::TempDir;
namespace fs = std::filesystem;

TEST(Paths, SplitIntoFolderNameAndExtension)
{
    PathParts p = split_path("/home/ann/data/heart.mrc");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.folder, "/home/ann/data/");
    EXPECT_EQ(p.name, "heart");
    EXPECT_EQ(p.extension, ".mrc");
    p = split_path("notes.v2.txt");
    EXPECT_EQ(p.folder, "");
    EXPECT_EQ(p.name, "notes.v2");
    EXPECT_EQ(p.extension, ".txt");
    p = split_path("/a.b/README");
    EXPECT_EQ(p.folder, "/a.b/");
    EXPECT_EQ(p.name, "README");
    EXPECT_EQ(p.extension, "");
    p = split_path("/x/.profile");
    EXPECT_EQ(p.name, ".profile");
    EXPECT_EQ(p.extension, "");
}

TEST(Paths, FoldersAndFiles)
{
    TempDir dir;
    const std::string f = dir.write("x.dat", "1");
    EXPECT_TRUE(file_exists(f));
    EXPECT_FALSE(file_exists(""));
    EXPECT_TRUE(delete_file(f));
    EXPECT_FALSE(file_exists(f));
    EXPECT_FALSE(delete_file(f));

    const auto before = current_folder();
    ASSERT_TRUE(before.has_value());
    ASSERT_TRUE(change_folder(dir.path().string()));
    EXPECT_EQ(fs::canonical(*current_folder()), fs::canonical(dir.path()));
    EXPECT_FALSE(change_folder(dir.file("missing")));
    EXPECT_FALSE(change_folder(""));
    ASSERT_TRUE(change_folder(*before));

    const std::string here = program_folder();
    EXPECT_TRUE(file_exists(here + "/test_platform_io"));
    EXPECT_TRUE(find_on_path("sh").has_value());
    EXPECT_FALSE(find_on_path("no-such-program-anywhere").has_value());
}

TEST(ExternalPrograms, ArgumentsArriveIntact)
{
    TempDir dir;
    // Blanks, quotes and shell characters in a file name reach the program as
    // they are: nothing is interpreted.
    const std::string weird = "my data; touch pwned $(touch pwned2) 'q' \"d\" & | > *.txt";
    const std::string src = dir.write(weird, "payload");
    const std::string dst = dir.file("copy.txt");
    EXPECT_EQ(run_and_wait("cp", {src, dst}), 0);
    EXPECT_EQ(read_all(dst), "payload");
    EXPECT_FALSE(fs::exists(dir.file("pwned")));
    EXPECT_FALSE(fs::exists("pwned2"));
    EXPECT_EQ(run_and_wait("false", {}), 1); // the exit status comes back
    EXPECT_EQ(run_and_wait("no-such-program-anywhere", {"x"}), -1);
    EXPECT_EQ(run_and_wait("", {}), -1);
}

TEST(ExternalPrograms, WebAddressGoesToTheOpenerAsOneArgument)
{
    TempDir dir;
    const std::string url = dir.file("faq.aspx?a=1&b=2 c");
    EXPECT_EQ(open_url(url, "touch"), 0);
    EXPECT_TRUE(fs::exists(url));
}

TEST(InstanceLock, SecondCopyIsTold)
{
    TempDir dir;
    const std::string path = dir.file("meru.lock");
    InstanceLock first, second;
    EXPECT_TRUE(first.acquire(path));
    EXPECT_TRUE(first.held());
    EXPECT_FALSE(second.acquire(path));
    first.release();
    EXPECT_TRUE(second.acquire(path));
    InstanceLock nowhere;
    EXPECT_FALSE(nowhere.acquire(dir.file("no/such/dir/lock")));
}

TEST(ExternalPrograms, EditorFromTheEnvironment)
{
    ::setenv("VISUAL", "  myedit  --wait ", 1);
    EXPECT_EQ(editor_command(), (std::vector<std::string>{"myedit", "--wait"}));
    ::unsetenv("VISUAL");
    ::setenv("EDITOR", "vi", 1);
    EXPECT_EQ(editor_command(), std::vector<std::string>{"vi"});
    ::unsetenv("EDITOR");
    EXPECT_EQ(editor_command(), std::vector<std::string>{"xdg-open"});
}

TEST(ResidentMemory, FollowsThePagesTheProcessTouches)
{
    const std::optional<long> before = resident_kb();
    ASSERT_TRUE(before.has_value());
    EXPECT_GT(*before, 0);
    // 64 MB written page by page are resident while the buffer lives.
    std::vector<char> block(64L << 20);
    for (std::size_t i = 0; i < block.size(); i += 4096) block[i] = 1;
    const std::optional<long> after = resident_kb();
    ASSERT_TRUE(after.has_value());
    EXPECT_GE(*after - *before, 60L << 10);
    EXPECT_LT(*after - *before, 80L << 10);
    EXPECT_EQ(block[4096], 1);
}

// The sanitizers' allocators keep what was freed themselves.
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(ResidentMemory, WhatOtherThreadsFreedGoesBack)
{
    share_one_allocator_arena();
    const std::optional<long> before = resident_kb();
    ASSERT_TRUE(before.has_value());
    // Each thread frees a block of 16 MB (the allocator then takes blocks up
    // to that size from its arenas and keeps up to twice as much free at an
    // arena's end), then 24 MB in blocks of 1 MB.
    const auto work = [] {
        {
            const std::vector<char> big(16L << 20, 1);
            EXPECT_EQ(big[12345], 1);
        }
        std::vector<std::unique_ptr<char[]>> blocks;
        for (int k = 0; k < 24; ++k) {
            blocks.emplace_back(new char[1 << 20]);
            for (int i = 0; i < (1 << 20); i += 4096) blocks.back()[i] = 1;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) threads.emplace_back(work);
    for (std::thread& t : threads) t.join();
    release_free_memory();
    const std::optional<long> after = resident_kb();
    ASSERT_TRUE(after.has_value());
    EXPECT_LT(*after - *before, 16L << 10);
}
#endif
