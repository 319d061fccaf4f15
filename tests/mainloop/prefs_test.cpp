// The preferences file: creation, leading lines, the options line's columns,
// the two skip options, the recent-file list and its updates, the round trip.
#include "mainloop/prefs.h"
#include "support/file_size_limit.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace meru::test {
namespace {

using mainloop::Preferences;
using mainloop::PrefStatus;

class PrefsTest : public ::testing::Test {
protected:
    std::string path() const { return dir.filePath("meru.prf").toStdString(); }
    void write(const std::string& text) const
    {
        std::ofstream out(path(), std::ios::binary);
        out << text;
    }
    std::string read() const
    {
        std::ifstream in(path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    QTemporaryDir dir;
};

TEST_F(PrefsTest, AMissingFileIsCreatedWithTiedPartitionsOnOnly)
{
    auto r = mainloop::read_preferences(path());
    EXPECT_EQ(r.status, PrefStatus::created);
    EXPECT_EQ(read(), std::string(mainloop::kPrefHeading) + "\nFFTFFFFTT\n");
    settings::Options o;
    o.tiedlast = false;
    o.turboon = false;
    ASSERT_TRUE(mainloop::apply_options_line(r.options_line, o));
    EXPECT_TRUE(o.tiedlast);
    EXPECT_FALSE(o.fullred || o.primattr || o.detailout || o.skipset || o.skipcomb || o.showtip);
    EXPECT_FALSE(o.turboon); // not saved: left alone
    EXPECT_TRUE(r.prefs.recent.empty());
}

// A full disk: a rewrite leaves the file as it was and a new file is not made
// empty; nothing is left beside them, and the system's reason is given.
TEST_F(PrefsTest, AFullDiskLeavesTheFileAsItWasAndSaysWhy)
{
    write("# kept\nTTTTTTT\n");
    Preferences p;
    p.options_line = "FFFFFFF";
    p.recent = {"/data/kyphosis.mrc"};
    mainloop::PrefRead created;
    {
        const FileSizeLimit limit(2);
        EXPECT_EQ(mainloop::write_preferences(path(), p), "File too large");
        created = mainloop::read_preferences(dir.filePath("new.prf").toStdString());
    }
    EXPECT_EQ(read(), "# kept\nTTTTTTT\n");
    EXPECT_EQ(created.status, PrefStatus::unreadable);
    EXPECT_EQ(created.why, "File too large");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path().toStdString()), {}), 1);
}

// A pipe in the file's place is neither waited on when read nor replaced.
TEST_F(PrefsTest, APipeInItsPlaceIsRefusedAndKept)
{
    ASSERT_EQ(::mkfifo(path().c_str(), 0600), 0);
    const auto r = mainloop::read_preferences(path());
    EXPECT_EQ(r.why + "; " + mainloop::write_preferences(path(), r.prefs), "not a regular file; not a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(path()));
}

TEST_F(PrefsTest, TheSevenColumnsMapToTheirOptions)
{
    settings::Options o;
    ASSERT_TRUE(mainloop::apply_options_line("TFFTFTT   ignored", o));
    EXPECT_TRUE(o.fullred);
    EXPECT_FALSE(o.primattr);
    EXPECT_FALSE(o.tiedlast);
    EXPECT_TRUE(o.detailout);
    EXPECT_FALSE(o.skipset);
    EXPECT_TRUE(o.skipcomb);
    EXPECT_TRUE(o.showtip);
    EXPECT_EQ(mainloop::options_line(o), "TFFTFTT");
    o = {};
    o.primattr = o.skipset = true;
    o.tiedlast = false;
    EXPECT_EQ(mainloop::options_line(o), "FTFFTFF");

    settings::Options untouched;
    for (const char* bad : {"", "TFTF", "TFFTXFF", "tfftftt", " TFFTFTT"})
        EXPECT_FALSE(mainloop::apply_options_line(bad, untouched)) << bad;
    EXPECT_TRUE(untouched.tiedlast);
    EXPECT_FALSE(untouched.fullred);
}

TEST_F(PrefsTest, BothSkipOptionsSavedComeBackAsTheCombinationOne)
{
    settings::Options o;
    ASSERT_TRUE(mainloop::apply_options_line("FFTFTTF", o));
    mainloop::settle_skip_options(o);
    EXPECT_FALSE(o.skipset);
    EXPECT_TRUE(o.skipcomb);
    ASSERT_TRUE(mainloop::apply_options_line("FFTFTFF", o));
    mainloop::settle_skip_options(o);
    EXPECT_TRUE(o.skipset);
    EXPECT_FALSE(o.skipcomb);
}

TEST_F(PrefsTest, AnyNumberOfLeadingLinesIsReadAndKept)
{
    for (const std::string leading : {"", "# one\n", "# one\n\n#two\n# three\n# four\n# five\n"}) {
        SCOPED_TRACE(leading);
        write(leading + "FTTFFTF\r\n/data/a.mrc\r\n/data/b.mrc\n");
        auto r = mainloop::read_preferences(path());
        EXPECT_EQ(r.status, PrefStatus::read);
        EXPECT_EQ(r.options_line, "FTTFFTF");
        EXPECT_EQ(r.prefs.recent, (std::vector<std::string>{"/data/a.mrc", "/data/b.mrc"}));
        r.prefs.options_line = r.options_line;
        ASSERT_EQ(mainloop::write_preferences(path(), r.prefs), "");
        EXPECT_EQ(read(), leading + "FTTFFTF\n/data/a.mrc\n/data/b.mrc\n");
    }
}

TEST_F(PrefsTest, AnUnreadableOptionsLineIsReportedAndTheRecentFilesStillRead)
{
    write("# prefs\nyes please\n/x/y.mrc\n");
    auto r = mainloop::read_preferences(path());
    EXPECT_EQ(r.status, PrefStatus::bad_options);
    EXPECT_EQ(r.prefs.recent, (std::vector<std::string>{"/x/y.mrc"}));

    write("# only a heading\n\n");
    r = mainloop::read_preferences(path());
    EXPECT_EQ(r.status, PrefStatus::no_options);
    EXPECT_TRUE(r.prefs.recent.empty());
}

TEST_F(PrefsTest, OnlyTenRecentFilesAreRead)
{
    std::string text = "FFTFFFF\n";
    for (int k = 1; k <= 12; ++k) text += "/f/" + std::to_string(k) + ".mrc\n\n";
    write(text);
    auto r = mainloop::read_preferences(path());
    ASSERT_EQ(r.prefs.recent.size(), 10u);
    EXPECT_EQ(r.prefs.recent.front(), "/f/1.mrc");
    EXPECT_EQ(r.prefs.recent.back(), "/f/10.mrc");
}

Preferences list_of(int n)
{
    Preferences p;
    for (int k = 1; k <= n; ++k) p.recent.push_back("/f/" + std::to_string(k) + ".mrc");
    return p;
}

TEST_F(PrefsTest, OpeningAListedFileMovesItToTheTop)
{
    Preferences p = list_of(5);
    int ix = 0;
    EXPECT_FALSE(mainloop::note_opened(p, "/f/3.mrc   ", ix)); // trailing blanks ignored
    EXPECT_EQ(ix, 3);
    EXPECT_EQ(p.recent, (std::vector<std::string>{"/f/3.mrc", "/f/1.mrc", "/f/2.mrc", "/f/4.mrc", "/f/5.mrc"}));

    mainloop::note_recent_chosen(p, 5);
    EXPECT_EQ(p.recent, (std::vector<std::string>{"/f/5.mrc", "/f/3.mrc", "/f/1.mrc", "/f/2.mrc", "/f/4.mrc"}));
    mainloop::note_recent_chosen(p, 1);
    EXPECT_EQ(p.recent.front(), "/f/5.mrc");
}

TEST_F(PrefsTest, TheTenthFileGrowsTheListAndTheEleventhDropsTheOldest)
{
    Preferences p = list_of(9);
    int ix = 0;
    EXPECT_TRUE(mainloop::note_opened(p, "/g/tenth.mrc", ix));
    EXPECT_EQ(ix, 0);
    ASSERT_EQ(p.recent.size(), 10u);
    EXPECT_FALSE(mainloop::note_opened(p, "/g/eleventh.mrc", ix));
    ASSERT_EQ(p.recent.size(), 10u);
    EXPECT_EQ(p.recent[0], "/g/eleventh.mrc");
    EXPECT_EQ(p.recent[1], "/g/tenth.mrc");
    EXPECT_EQ(p.recent[9], "/f/8.mrc"); // /f/9.mrc, the oldest, is gone
}

TEST_F(PrefsTest, LongPathsAreKeptWhole)
{
    const std::string deep = "/" + std::string(150, 'd') + "/" + std::string(120, 'e') + "/study.mrc";
    Preferences p;
    p.options_line = "FFTFFFF";
    int ix = 0;
    ASSERT_TRUE(mainloop::note_opened(p, deep, ix));
    ASSERT_EQ(mainloop::write_preferences(path(), p), "");
    auto r = mainloop::read_preferences(path());
    ASSERT_EQ(r.prefs.recent.size(), 1u);
    EXPECT_EQ(r.prefs.recent[0], deep);
    EXPECT_FALSE(mainloop::note_opened(r.prefs, deep, ix)); // found again by its whole path
    EXPECT_EQ(ix, 1);
}

} // namespace
} // namespace meru::test
