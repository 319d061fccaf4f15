// Writing a partition to the control file as a stored combination.
#include "search/combination_write.h"

#include "support/recording_services.h"
#include "support/temp_path.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace meru::search {
namespace {

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

partition::TermList sample()
{
    partition::TermList a;
    a.add_term({2, -3});
    a.add_term({5});
    return a;
}

// Attributes 2 x > 1, 3 x > 2 (its line turned by Fix Positive: +3 still reads
// x > 2) and 5 y = 1 (a named cut: its check names the code).
files::ControlTables tables()
{
    files::ControlTables t;
    t.natt = 5;
    t.att.resize(6);
    t.att[2].attname = t.att[3].attname = "x$$$$$$$";
    t.att[2].savedlab = {"<=1", ">$1"};
    t.att[3].savedlab = {">$2", "<=2"};
    t.att[3].signbyte = -1;
    t.att[5].attname = "y$$$$$$$";
    t.att[5].attlab = {"_no", "_yes"};
    t.att[5].savedlab = {"=$0", "=$1"};
    return t;
}

TEST(CombinationWrite, AppendsOneRecordAndKeepsThirty)
{
    const std::string path = test::temp_path("combo.mrc");
    {
        std::ofstream(path, std::ios::binary) << "title\nlast line without end";
    }
    files::ControlTables t = tables();
    t.cfcomb.assign(29, "+x(2)");
    test::RecordingServices sv;
    Notices told;
    EXPECT_EQ(write_combination(path, "+01", sample(), t, told), ComboWrite::written);
    EXPECT_EQ(write_combination(path, "+02", sample(), t, told), ComboWrite::kept_not);
    // The same combination again is not written twice.
    EXPECT_EQ(write_combination(path, "+01", sample(), t, told), ComboWrite::present);
    EXPECT_EQ(read_all(path), "title\nlast line without end\n+01     (2 -3)(5)\n*+01     2=x>1 3=x>2 5=y=1\n"
                              "+02     (2 -3)(5)\n*+02     2=x>1 3=x>2 5=y=1\n");
    ASSERT_EQ(t.cfcomb.size(), 30u);
    EXPECT_EQ(t.cfcomb.back(), "+01     (2 -3)(5)");
    sv.replay(told);
    EXPECT_EQ(sv.with_prefix("note:"),
              (std::vector<std::string>{
                  "note:NOTE: Boolean combination of attribute +01 written to control file $ [log] kind=full",
                  "note:NOTE: # combinations >30. Exceeds allowable. But is written to CF $ [log] kind=full",
                  "note:NOTE: Boolean combination of attribute +01 is already in the control file $ [log] kind=full"}));
}

TEST(CombinationWrite, TextsThatWouldBeReadBackCutAreRefused)
{
    const std::string path = test::temp_path("long.mrc");
    {
        std::ofstream(path, std::ios::binary) << "title\n";
    }
    // 50 terms "(1000)" .. "(1049)" make a 300-column text.
    partition::TermList a;
    for (int k = 0; k < 50; ++k) a.add_term({1000 + k});
    files::ControlTables t = tables();
    test::RecordingServices sv;
    Notices told;
    EXPECT_EQ(write_combination(path, "+a_1", a, t, told), ComboWrite::too_long);
    EXPECT_EQ(read_all(path), "title\n");
    EXPECT_TRUE(t.cfcomb.empty());
    // 32 terms of 4 digits are 192 text columns: whole in the text, but the record
    // of 8 + 192 columns is 200: still read back whole; one more literal is not.
    partition::TermList edge;
    for (int k = 0; k < 32; ++k) edge.add_term({1000 + k});
    EXPECT_EQ(combination_record("+a_1", edge).size(), 200u);
    edge.lits.back() = 10000;
    EXPECT_TRUE(combination_record("+a_1", edge).empty());
    EXPECT_EQ(write_combination(test::temp_path("missing/none.mrc"), "+a_1", sample(), t, told),
              ComboWrite::failed);
}

// The disk fills after a few bytes of the new copy: the control file stays as it
// was, whole, and the note gives the system's reason.
TEST(CombinationWrite, AFullDiskLeavesTheFileWhole)
{
    const std::string path = test::temp_path("full.mrc");
    {
        std::ofstream(path, std::ios::binary) << "title\n*\n";
    }
    const io::WriteFn full = [](int fd, const char* data, std::size_t n) -> long {
        if (n > 5) return ::write(fd, data, 5);
        errno = ENOSPC;
        return -1;
    };
    files::ControlTables t = tables();
    test::RecordingServices sv;
    Notices told;
    EXPECT_EQ(write_combination(path, "+01", sample(), t, told, full), ComboWrite::failed);
    EXPECT_EQ(read_all(path), "title\n*\n");
    EXPECT_TRUE(t.cfcomb.empty());
    sv.replay(told);
    EXPECT_EQ(
        sv.with_prefix("note:"),
        (std::vector<std::string>{"note:NOTE: Control file not written: No space left on device $ [log] kind=full"}));
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        EXPECT_EQ(e.path().filename().string().find("full.mrc."), std::string::npos) << e.path(); // no copy left
}

// Whether the system's lock table shows a writer waiting for the lock on the file
// with inode `ino` (a line "N: -> FLOCK ... MAJ:MIN:INO ...").
bool waiter_on(ino_t ino)
{
    std::ifstream locks("/proc/locks");
    const std::string inode = ":" + std::to_string(ino) + " ";
    for (std::string line; std::getline(locks, line);)
        if (line.find("->") != std::string::npos && line.find(inode) != std::string::npos) return true;
    return false;
}

// Two programs add a combination to one control file at once: the first is held
// between its reading of the file and the renaming of its new copy until the
// second has either finished or is seen waiting for its turn. Neither line is
// lost and each program says its own was written.
TEST(CombinationWrite, TwoWritersOfOneFileTakeTurns)
{
    if (!std::ifstream("/proc/locks")) GTEST_SKIP() << "no lock table to watch";
    const std::string path = test::temp_path("shared.mrc");
    {
        std::ofstream(path, std::ios::binary) << "title\n*\n";
    }
    files::ControlTables tables_a = tables(), tables_b = tables();
    Notices told_a, told_b;
    std::atomic<bool> b_done{false};
    std::thread b;
    const io::WriteFn held = [&](int fd, const char* data, std::size_t n) -> long {
        if (!b.joinable()) {
            struct stat st = {};
            ::stat(path.c_str(), &st); // the file as the first writer read it
            b = std::thread([&] {
                write_combination(path, "+02", sample(), tables_b, told_b);
                b_done = true;
            });
            // A bound on the wait only weakens the check, never fails it.
            const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!b_done && !waiter_on(st.st_ino) && std::chrono::steady_clock::now() < give_up)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return ::write(fd, data, n);
    };
    EXPECT_EQ(write_combination(path, "+01", sample(), tables_a, told_a, held), ComboWrite::written);
    if (b.joinable()) b.join();
    EXPECT_EQ(read_all(path), "title\n*\n+01     (2 -3)(5)\n*+01     2=x>1 3=x>2 5=y=1\n+02     (2 -3)(5)\n"
                              "*+02     2=x>1 3=x>2 5=y=1\n");
    for (auto [told, name] : {std::pair{&told_a, "+01"}, std::pair{&told_b, "+02"}}) {
        test::RecordingServices sv;
        sv.replay(*told);
        EXPECT_EQ(sv.with_prefix("note:"),
                  std::vector<std::string>{"note:NOTE: Boolean combination of attribute " + std::string(name) +
                                           " written to control file $ [log] kind=full"});
    }
}

} // namespace
} // namespace meru::search
