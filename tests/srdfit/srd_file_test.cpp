// Saved configurations: written and read back, and refused when damaged or of
// another partition; a Save cut short keeps the earlier file, and a Load reads
// regular files only.
#include "srdfit/srd_file.h"

#include "platform/io/temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace meru::srdfit;

namespace {

SavedDiagram sample()
{
    SavedDiagram d;
    d.terms = {{-7}, {8, 3}};
    d.boxes = {{0, 0.25, 0, 1}, {0.125, 0.5, 0.375, 1}};
    d.error = 0.0123456;
    d.e_max = 0.004;
    d.fit_p = 0.98765;
    d.start = "Random";
    return d;
}

// Runs `body` in a child process whose files may grow to 100 bytes (a write past
// that is killed by SIGXFSZ, or fails with "File too large" when `ignore`) and
// that a wait which would hang ends after ten seconds (SIGALRM); the child's exit
// status, or 128 + the signal that ended it.
int in_child(bool ignore, const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit lim{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        if (ignore) std::signal(SIGXFSZ, SIG_IGN);
        ::alarm(10);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

} // namespace

TEST(SrdFileTest, SavedAndLoadedBackNextToTheLog)
{
    EXPECT_EQ(srd_path_for("/data/LUNG.LOG"), "/data/LUNG.srd");
    EXPECT_EQ(srd_path_for("/data.d/lung"), "/data.d/lung.srd");
    EXPECT_EQ(srd_path_for("/data/.hidden"), "/data/.hidden.srd");

    const SavedDiagram d = sample();
    EXPECT_EQ(srd_text(d), "MERU rectangle diagram\n"
                           "q 2\n"
                           "term 1 -7\n"
                           "term 2 8 3\n"
                           "rectangle 1 0.000000 0.250000 0.000000 1.000000\n"
                           "rectangle 2 0.125000 0.500000 0.375000 1.000000\n"
                           "fit E 0.012346 E_max 0.004000 P 0.9877 start Random\n");
    const std::string path = (std::filesystem::temp_directory_path() / "meru_srd_file_test.srd").string();
    ASSERT_EQ(save_srd(path, d), "");
    const SrdRead r = load_srd(path, d.terms);
    std::remove(path.c_str());
    ASSERT_EQ(r.status, SrdStatus::ok);
    EXPECT_EQ(r.diagram.boxes, d.boxes);
    EXPECT_EQ(r.diagram.start, "Random");
    EXPECT_DOUBLE_EQ(r.diagram.fit_p, 0.9877);
    EXPECT_EQ(load_srd(path, d.terms).status, SrdStatus::missing);
    // Written on another system: CRLF line ends and blank lines are read the same.
    std::string crlf;
    for (char ch : srd_text(d)) crlf += ch == '\n' ? std::string("\r\n\r\n") : std::string(1, ch);
    EXPECT_EQ(parse_srd(crlf, d.terms).status, SrdStatus::ok);
}

TEST(SrdFileTest, AnotherPartitionIsAMismatchAndABrokenFileIsDamaged)
{
    const SavedDiagram d = sample();
    const std::string good = srd_text(d);
    EXPECT_EQ(parse_srd(good, {{-7}, {8}}).status, SrdStatus::mismatch);         // other terms
    EXPECT_EQ(parse_srd(good, {{-7}, {8, 3}, {2}}).status, SrdStatus::mismatch); // other q
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    const std::string damaged[] = {
        "",
        good.substr(0, good.size() / 2),             // cut short
        replaced("MERU rectangle", "MERU triangle"), // not a diagram
        replaced("q 2", "q 7"),                      // more subgroups than a diagram holds
        replaced("q 2", "q two"),
        replaced("term 2 8 3", "term 2 8 x"),
        replaced("term 2 8 3", "term 3 8 3"),               // out of order
        replaced("0.125000 0.500000", "0.500000 0.125000"), // x1 beyond x2
        replaced("0.375000 1.000000", "0.375000 1.500000"), // outside the frame
        replaced("0.375000 1.000000", "0.375000 nan"),
        replaced("0.375000 1.000000", "0.375000"), // a bound missing
        replaced("fit E", "fit X"),
        // Figures no fit gives: 0 <= E_max <= E <= 2 and 0 <= P <= 1 hold for every fit.
        replaced("E 0.012346 E_max 0.004000 P 0.9877", "E -5 E_max 1e308 P 99"),
        replaced("E 0.012346", "E 2.000001"),
        replaced("E_max 0.004000", "E_max 0.012347"),
        replaced("P 0.9877", "P 1.0001"),
        good + "rectangle 3 0 1 0 1\n", // a line too many
        std::string(70000, 'x'),
    };
    for (const std::string& text : damaged) EXPECT_EQ(parse_srd(text, d.terms).status, SrdStatus::damaged) << text;
    // A rectangle of no width and figures at their bounds load: Refit mends them.
    for (const std::string& text : {replaced("0.000000 0.250000", "0.250000 0.250000"),
                                    replaced("E 0.012346 E_max 0.004000 P 0.9877", "E 2 E_max 1 P 0")})
        EXPECT_EQ(parse_srd(text, d.terms).status, SrdStatus::ok) << text;
}

// A Save killed a hundred bytes into its write leaves the earlier file and a
// temporary that the next Save clears; one that finds no room says why and leaves
// no file. A pipe or a folder in the file's place is refused at once.
TEST(SrdFileTest, ASaveCutShortKeepsTheEarlierFileAndALoadReadsRegularFilesOnly)
{
    meru::io::testing::TempDir dir;
    const std::string path = dir.file("LUNG.srd");
    SavedDiagram d = sample();
    ASSERT_EQ(save_srd(path, d), "");
    const std::string earlier = srd_text(d);
    d.start = "Strips";
    EXPECT_EQ(in_child(false, [&] { return save_srd(path, d).empty() ? 0 : 1; }), 128 + SIGXFSZ);
    EXPECT_EQ(meru::io::testing::read_all(path), earlier);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);

    std::remove(path.c_str());
    EXPECT_EQ(in_child(true, [&] { return save_srd(path, d) == std::strerror(EFBIG) ? 0 : 1; }), 0);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    std::filesystem::remove_all(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(in_child(false, [&] { return load_srd(path, d.terms).why == "not a regular file" ? 0 : 1; }), 0);
    std::remove(path.c_str());
    std::filesystem::create_directory(path);
    EXPECT_EQ(load_srd(path, d.terms).status, SrdStatus::unreadable);

    // A link that loops is not "no saved diagram".
    std::filesystem::remove(path);
    std::filesystem::create_symlink("LUNG.srd", path);
    const SrdRead looped = load_srd(path, d.terms);
    EXPECT_EQ(looped.status, SrdStatus::unreadable);
    EXPECT_EQ(looped.why, "Too many levels of symbolic links");
    // A temporary left by a killed Save goes when the diagram is next loaded.
    std::filesystem::remove(path);
    const std::string stale = dir.write("LUNG.srd.meru-tmp-a1B2c3", "MERU rect");
    load_srd(path, d.terms);
    EXPECT_FALSE(std::filesystem::exists(stale));
}
