// Saved configurations: written and read back, and refused when damaged or of
// another partition; a write cut short by a kill or a full disk leaves the
// earlier file whole, and a pipe in the file's place is refused at once.
#include "srdfit/srd_file.h"

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
#include <thread>
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

// Runs `body` in a child process and gives its exit status, or 128 + the signal
// that ended it; a child still running after ten seconds is killed (status -1).
int in_child(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    for (int tick = 0; tick < 1000; ++tick) {
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return -1;
}

// A child whose files may grow to `bytes`: a write past that is killed by
// SIGXFSZ, or fails with "File too large" when the signal is ignored.
void limit_file_size(rlim_t bytes, bool ignore_signal)
{
    const rlimit lim{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &lim);
    if (ignore_signal) std::signal(SIGXFSZ, SIG_IGN);
}

std::string contents(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> names_in(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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
        // Fit figures no fit gives: 0 <= E_max <= E <= 2, 0 <= P <= 1.
        replaced("E 0.012346 E_max 0.004000 P 0.9877", "E -5 E_max 1e308 P 99"),
        replaced("E 0.012346", "E 2.000001"),
        replaced("E_max 0.004000", "E_max 0.012347"),
        replaced("E_max 0.004000", "E_max -0.000001"),
        replaced("P 0.9877", "P 1.0001"),
        replaced("P 0.9877", "P -0.0001"),
        good + "rectangle 3 0 1 0 1\n", // a line too many
        std::string(70000, 'x'),
    };
    for (const std::string& text : damaged) EXPECT_EQ(parse_srd(text, d.terms).status, SrdStatus::damaged) << text;
    // Degenerate rectangles and figures at their bounds load: Refit mends them.
    const std::string loads[] = {
        replaced("0.000000 0.250000 0.000000 1.000000", "0.250000 0.250000 0.000000 1.000000"), // no width
        replaced("0.125000 0.500000 0.375000 1.000000", "0.000000 0.250000 0.000000 1.000000"), // the same twice
        replaced("E 0.012346 E_max 0.004000 P 0.9877", "E 2 E_max 1 P 0"),
        replaced("E 0.012346 E_max 0.004000 P 0.9877", "E 0 E_max 0 P 1"),
    };
    for (const std::string& text : loads) EXPECT_EQ(parse_srd(text, d.terms).status, SrdStatus::ok) << text;
}

// A Save killed while it writes, or one that fails for want of room, leaves the
// earlier file whole (or no file); the next Save clears the killed one's
// temporary. A pipe, a folder or a link loop in the file's place is refused at
// once with the system's reason (run in a child: a Load that waited on the pipe
// would be killed after ten seconds and fail here).
TEST(SrdFileTest, ASaveCutShortKeepsTheEarlierFileAndALoadReadsRegularFilesOnly)
{
    namespace fs = std::filesystem;
    struct Folder {
        fs::path dir = fs::temp_directory_path() / ("meru_srd_" + std::to_string(::getpid()));
        Folder() { fs::create_directories(dir); }
        ~Folder() { fs::remove_all(dir); }
    } folder;
    const fs::path& dir = folder.dir;
    const std::string path = (dir / "LUNG.srd").string();
    SavedDiagram d = sample();
    ASSERT_EQ(save_srd(path, d), "");
    const std::string earlier = srd_text(d);
    d.start = "Strips";

    // Killed by SIGXFSZ a hundred bytes into the write.
    EXPECT_EQ(in_child([&] {
                  limit_file_size(100, false);
                  save_srd(path, d);
                  return 0;
              }),
              128 + SIGXFSZ);
    EXPECT_EQ(contents(path), earlier);
    const std::vector<std::string> names = names_in(dir);
    EXPECT_TRUE(names.size() == 2 && names[1].rfind("LUNG.srd.meru-tmp-", 0) == 0) << names.back();

    // No room for the whole file: the reason, and no file where there was none.
    fs::remove(path);
    EXPECT_EQ(in_child([&] {
                  limit_file_size(100, true);
                  return save_srd(path, d) == std::strerror(EFBIG) ? 0 : 1;
              }),
              0);
    EXPECT_TRUE(fs::is_empty(dir)) << names_in(dir).front(); // the killed Save's temporary gone too
    EXPECT_EQ(load_srd(path, d.terms).status, SrdStatus::missing);

    fs::remove(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(in_child([&] {
                  const SrdRead r = load_srd(path, d.terms);
                  return r.status == SrdStatus::unreadable && r.why == "not a regular file" ? 0 : 1;
              }),
              0);
    fs::remove(path);
    fs::create_directory(path);
    EXPECT_EQ(load_srd(path, d.terms).why, "is a folder");
    fs::remove(path);
    fs::create_symlink("LUNG.srd", path);
    EXPECT_EQ(load_srd(path, d.terms).status, SrdStatus::missing); // a link to itself
}
