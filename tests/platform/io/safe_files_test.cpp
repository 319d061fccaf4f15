// Files replaced only when complete, writability checked without a change, and
// devices and binary files told apart from text.
#include "platform/io/safe_files.h"
#include "support/file_size_limit.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;
using namespace meru::io;

namespace {

struct Folder {
    fs::path dir = fs::temp_directory_path() / ("meru_safe_" + std::to_string(::getpid()) + "_" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Folder() { fs::create_directories(dir); }
    ~Folder()
    {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir, ec);
    }
    std::string file(const std::string& name, const std::string& text) const
    {
        std::ofstream(dir / name, std::ios::binary) << text;
        return (dir / name).string();
    }
};

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(SafeFiles, ReplacesWholeAndLeavesNoTemporary)
{
    Folder d;
    const std::string path = d.file("a.mrc", "old\n");
    EXPECT_EQ(write_replacing(path, {"one", "two"}), "");
    EXPECT_EQ(contents(path), "one\ntwo\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(d.dir), fs::directory_iterator{}), 1);
}

// Writes the system refuses, whoever runs them (the superuser too): the old file
// stays whole, no temporary is left, and the system's reason is returned.
TEST(SafeFiles, ARefusedWriteKeepsTheOldFileAndSaysWhy)
{
    Folder d;
    const std::string path = d.file("a.mrc", "old\n");
    const auto entries = [&] { return std::distance(fs::directory_iterator(d.dir), fs::directory_iterator{}); };

    // A folder that is a file.
    EXPECT_EQ(write_replacing(path + "/b.mrc", {"new"}), "Not a directory");

    // The new copy cut short after 2 bytes.
    {
        const meru::test::FileSizeLimit limit(2);
        EXPECT_EQ(write_replacing(path, {"new", "text"}), "File too large");
    }
    EXPECT_EQ(contents(path), "old\n");
    EXPECT_EQ(entries(), 1);

    // A folder without write permission binds every user but the superuser.
    if (::geteuid() == 0) return;
    fs::permissions(d.dir, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_EQ(write_replacing(path, {"new"}), "Permission denied");
    EXPECT_EQ(can_write((d.dir / "A.LOG").string()), "Permission denied");
    EXPECT_EQ(contents(path), "old\n");
}

TEST(SafeFiles, CanWriteChangesNothing)
{
    Folder d;
    const std::string path = d.file("x.log", "kept\n");
    EXPECT_EQ(can_write(path), "");
    EXPECT_EQ(contents(path), "kept\n");
    EXPECT_EQ(can_write((d.dir / "new.log").string()), "");
    EXPECT_FALSE(fs::exists(d.dir / "new.log"));
    EXPECT_EQ(can_write(d.dir.string()), "is a folder");
    EXPECT_EQ(can_write("/nonexistent-folder/x.log"), "No such file or directory");
}

TEST(SafeFiles, TextIsToldFromDevicesAndBinary)
{
    Folder d;
    EXPECT_EQ(not_text_reason(d.file("t.csv", "a,b\r\n1,2\n\f\t3,4\n")), "");
    EXPECT_EQ(not_text_reason(d.file("e.csv", "")), "");
    EXPECT_EQ(not_text_reason("/dev/zero"), "not a regular file");
    EXPECT_EQ(not_text_reason(d.dir.string()), "is a folder");
    EXPECT_EQ(not_text_reason((d.dir / "none").string()), "No such file or directory");
    EXPECT_EQ(not_text_reason(d.file("nul.csv", std::string("a,b\n1\0,2\n", 9))), "holds NUL bytes, not text");
    std::string noise(20000, ' ');
    std::mt19937 rng(7);
    for (char& c : noise) c = static_cast<char>(1 + rng() % 255); // no NUL: caught as not text
    EXPECT_EQ(not_text_reason(d.file("r.csv", noise)), "not a text file");
    std::string text;
    EXPECT_EQ(read_regular_file("/dev/zero", text), "not a regular file");
    EXPECT_EQ(read_regular_file(d.file("t2.csv", "x\n"), text), "");
    EXPECT_EQ(text, "x\n");
}

// A write killed part way leaves a temporary named after the file; the next write
// of the file removes it.
TEST(SafeFiles, AKilledWriteLeavesNothingAfterTheNextWrite)
{
    Folder d;
    const std::string path = d.file("kyphosis.mrc", "old\n");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const WriteFn die = [](int fd, const char* data, std::size_t) -> long {
            if (::write(fd, data, 2) == 2) ::raise(SIGKILL); // killed with the copy half written
            ::_exit(1);
        };
        replace_contents(path, "new text\n", die);
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(d.dir)) names.push_back(e.path().filename().string());
    ASSERT_EQ(names.size(), 2u);
    const std::string left = names[0] == "kyphosis.mrc" ? names[1] : names[0];
    EXPECT_EQ(left.rfind("kyphosis.mrc.meru-tmp-", 0), 0u) << left;
    EXPECT_EQ(contents(path), "old\n");

    EXPECT_EQ(write_replacing(path, {"newest"}), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(d.dir), fs::directory_iterator{}), 1);
    EXPECT_EQ(contents(path), "newest\n");
}

// A second write of a new file while the first is still writing its copy: the
// first's temporary is live, not stale, and both writes end whole (the later
// rename wins). Links that loop or name nothing are refused, not replaced; a
// valid link is written through to its file.
TEST(SafeFiles, LiveTemporariesAndLinksAreLeftAlone)
{
    Folder d;
    const std::string path = (d.dir / "hull.png").string();
    std::string second = "not run";
    const WriteFn meanwhile = [&](int fd, const char* data, std::size_t n) -> long {
        if (second == "not run") second = replace_contents(path, "second\n");
        return ::write(fd, data, n);
    };
    EXPECT_EQ(replace_contents(path, "first\n", meanwhile), "");
    EXPECT_EQ(second, "");
    EXPECT_EQ(contents(path), "first\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(d.dir), fs::directory_iterator{}), 1);

    fs::create_symlink("loop.srd", d.dir / "loop.srd");
    fs::create_symlink("none/x.srd", d.dir / "dangling.srd");
    fs::create_symlink("hull.png", d.dir / "valid.png");
    for (const auto& [name, why] : {std::pair{"loop.srd", "Too many levels of symbolic links"},
                                    std::pair{"dangling.srd", "symbolic link to a missing file"}}) {
        EXPECT_EQ(replace_contents((d.dir / name).string(), "x\n"), why) << name;
        EXPECT_TRUE(fs::is_symlink(d.dir / name)) << name;
    }
    EXPECT_EQ(can_write((d.dir / "loop.srd").string()), "Too many levels of symbolic links");
    EXPECT_EQ(write_replacing((d.dir / "valid.png").string(), {"through"}), "");
    EXPECT_TRUE(fs::is_symlink(d.dir / "valid.png"));
    EXPECT_EQ(contents(path), "through\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(d.dir), fs::directory_iterator{}), 4);
}

// A pipe or a folder in the target's place, directly or through a link, is
// refused and left as it was (links to regular files are written through above).
TEST(SafeFiles, OnlyRegularFilesAreReplaced)
{
    Folder d;
    ASSERT_EQ(::mkfifo((d.dir / "pipe").c_str(), 0600), 0);
    fs::create_directory(d.dir / "folder");
    fs::create_symlink("pipe", d.dir / "to_pipe.png");
    using T = fs::file_type;
    for (const auto& [name, why, after] : {std::tuple{"pipe", "not a regular file", T::fifo},
                                           {"to_pipe.png", "not a regular file", T::symlink},
                                           {"folder", "Is a directory", T::directory}}) {
        EXPECT_EQ(replace_contents((d.dir / name).string(), "new\n"), why) << name;
        EXPECT_EQ(fs::symlink_status(d.dir / name).type(), after) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(d.dir), fs::directory_iterator{}), 3); // no temporaries
}
