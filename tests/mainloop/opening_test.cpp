// Opening an analysis: the choice of files, the default control file, the log's
// name and first lines, the record count, the failures and what they leave open.
#include "opening_fixture.h"

#include "files/controlfile.h"
#include "mainloop/dataarrays.h"
#include "mainloop/earlier_log.h"

#include <algorithm>
#include <filesystem>
#include <tuple>

namespace meru::test {
namespace {

using End = mainloop::OpenResult::End;

// Four observations; a has mean 2.5, so "a i 2" gives a>2 for 3 and 4.
const char* kSmallCsv = "a,b,y\n1,5.5,0\n2,6.5,1\n3,7.5,0\n4,8.5,1\n";
const char* kSmallMrc = "Small test\n*\na i 2\nb i 6\ny b\n*\nfree comma\nsmall.csv\n";

// A fixed-format data file whose unreadable record (a NUL) lies beyond the first
// 4 KB, so the file is taken as text and the record reader meets the record.
std::string bad_record_past_the_start()
{
    std::string bytes;
    for (int i = 0; i < 700; ++i) bytes += "  1  2\n";
    return bytes + std::string("  3\0 4\n", 7);
}

TEST_F(OpeningTest, ControlFileOpensWithTheLogsFirstLinesBesideIt)
{
    write("small.csv", kSmallCsv);
    const std::string cf = write("small.mrc", kSmallMrc);
    const auto r = open_file(cf);
    ASSERT_EQ(r.end, End::opened);
    ASSERT_TRUE(analysis);
    const auto ls = lines(folder + "SMALL.LOG");
    ASSERT_GE(ls.size(), 5u);
    EXPECT_EQ(ls[0], "%File:Open " + cf);
    EXPECT_EQ(ls[2], " Date  7/03/2026");
    EXPECT_EQ(ls[3], "MERU Output log from version 0110701");
    EXPECT_EQ(ls[4], " This output file is: SMALL.LOG");
    EXPECT_TRUE(has_line(folder + "SMALL.LOG", " Reading from data file:"));
    EXPECT_TRUE(has_line(folder + "SMALL.LOG", "          small.csv"));
    EXPECT_TRUE(has_line(folder + "SMALL.LOG", " # lines of data =      5"));
    EXPECT_FALSE(has_line(folder + "SMALL.LOG", "Mis-match"));
    EXPECT_EQ(analysis->logname, "SMALL.LOG");
    EXPECT_EQ(analysis->nobs, 4);
    EXPECT_EQ(analysis->nrecords, 5);
    EXPECT_EQ(analysis->outcome.yname[0], "a");
    EXPECT_EQ(analysis->outcome.ny, 1);
    EXPECT_FALSE(analysis->nodata);
    // a>2 holds for observations 3 and 4 only; every observation lies in X space.
    EXPECT_EQ(analysis->stats.att[2].positive, 2);
    EXPECT_EQ(analysis->stats.att[2].negative, 2);
    EXPECT_EQ(analysis->xmask[1] + analysis->xmask[4], 2);
    EXPECT_EQ(r.recent, cf);
    EXPECT_EQ(io::current_folder().value_or("") + "/", folder);
    EXPECT_TRUE(log.is_open());
}

TEST_F(OpeningTest, LogNameIsTheControlFilesWholeName)
{
    write("small.csv", kSmallCsv);
    ASSERT_EQ(open_file(write("LONGNAME12.MRC", kSmallMrc)).end, End::opened);
    EXPECT_EQ(analysis->logname, "LONGNAME12.LOG");
    EXPECT_TRUE(io::file_exists(folder + "LONGNAME12.LOG"));
    sv.quiz_answers = {true};
    ASSERT_EQ(open_file(write("LONGNAME34.MRC", kSmallMrc)).end, End::opened);
    EXPECT_TRUE(has_line(folder + "LONGNAME12.LOG", "%File:Open " + folder + "LONGNAME12.MRC"));
    EXPECT_TRUE(has_line(folder + "LONGNAME34.LOG", "%File:Open " + folder + "LONGNAME34.MRC"));
    sv.quiz_answers = {true};
    ASSERT_EQ(open_file(write("my data.mrc", kSmallMrc)).end, End::opened);
    EXPECT_EQ(analysis->logname, "MY.LOG");
    EXPECT_TRUE(has_line(folder + "MY.LOG", " This output file is: MY.LOG"));
}

TEST_F(OpeningTest, DataFileWithoutControlFileGetsADefaultOneInItsFolder)
{
    const std::string data = write("PATIENTS.CSV", "w,h\n1.5,2.25\n2.5,3.25\n3.5,5.75\n");
    io::change_folder(previous);
    const auto r = open_file(data);
    ASSERT_EQ(r.end, End::opened);
    EXPECT_TRUE(sv_called("msgbox:No associated .mrc file for data  Will make default PATIENTS.mrc$ [log] kind=ok"));
    const std::string cf = read(folder + "PATIENTS.mrc");
    EXPECT_EQ(cf.rfind("MERU re-generated .mrc file from data file PATIENTS.CSV", 0), 0u) << cf;
    EXPECT_NE(cf.find("\nfree comma\n"), std::string::npos) << cf;
    // The second pass reads the re-made file into the log of the first, which
    // keeps how the file was made.
    const auto ls = lines(folder + "PATIENTS.LOG");
    ASSERT_FALSE(ls.empty());
    EXPECT_EQ(ls[0], "%File:Open " + folder + "PATIENTS.mrc");
    EXPECT_TRUE(has_line(folder + "PATIENTS.LOG", "NOTE: Default .mrc file is created"));
    EXPECT_EQ(std::count(ls.begin(), ls.end(), "%File:Open " + folder + "PATIENTS.mrc"), 2);
    EXPECT_EQ(std::count(ls.begin(), ls.end(), " # lines of data =      4"), 2);
    EXPECT_EQ(std::count(ls.begin(), ls.end(), " This output file is: PATIENTS.LOG"), 1);
    EXPECT_EQ(analysis->nobs, 3);
    EXPECT_EQ(analysis->datapath, data);
    // The recent entry is the data file the user chose, for this opening and for
    // the re-read after an edit of the control file.
    EXPECT_EQ(r.recent, data);
    EXPECT_EQ(open({true, false, 0, true}).recent, data);
}

TEST_F(OpeningTest, ExistingControlFileIsUsedOrReplacedOnlyWhenFileNewIsAnswered)
{
    const std::string data = write("small.csv", kSmallCsv);
    write("small.mrc", kSmallMrc);
    ASSERT_EQ(open_file(data).end, End::opened);
    EXPECT_TRUE(sv.with_prefix("quiz:").empty());
    EXPECT_EQ(read(folder + "small.mrc"), kSmallMrc);
    EXPECT_EQ(analysis->tables.title.rfind("Small test", 0), 0u);

    // File:New asks: No keeps the control file, Yes replaces it with a default one.
    sv.quiz_answers = {true, false};
    host.answers.push_back(data);
    ASSERT_EQ(open({false, true, 0, false}).end, End::opened);
    EXPECT_TRUE(sv_called("quiz:?Associated .mrc file already exists! Overwrite with a default .mrc file?"));
    EXPECT_EQ(read(folder + "small.mrc"), kSmallMrc);
    EXPECT_EQ(lines(folder + "SMALL.LOG")[0], "%File:New small.csv"); // the control file's data name

    sv.quiz_answers = {true, true, false};
    host.answers.push_back(data);
    ASSERT_EQ(open({false, true, 0, false}).end, End::opened);
    EXPECT_EQ(read(folder + "small.mrc").rfind("MERU re-generated .mrc file from data file small.csv", 0), 0u);
    EXPECT_NE(read(folder + "small.mrc").find("\na        2.5\n"), std::string::npos);

    // Yes to the nominal question writes a and y (whole numbers 0..9) as nominal
    // lines: their codes present and the highest as the cut; the note of the
    // re-made file is not shown again.
    sv.calls.clear();
    sv.quiz_answers = {true, true, true};
    host.answers.push_back(data);
    ASSERT_EQ(open({false, true, 0, false}).end, End::opened);
    EXPECT_EQ(sv.with_prefix("quiz:? Nominal variables detected").size(), 1u);
    EXPECT_EQ(sv.with_prefix("help:NOTE: Default .mrc file").size(), 1u);
    const auto cf = lines(folder + "small.mrc");
    ASSERT_EQ(cf.size(), 8u);
    EXPECT_EQ(std::vector<std::string>(cf.begin() + 2, cf.begin() + 5),
              (std::vector<std::string>{"a         n1234 4", "b        7.0", "y         n01 1"}));
}

TEST_F(OpeningTest, FileNewShowsEachNoteOfReadingOnceAndLogsItEachTime)
{
    // The data file is read for its default control file and again for the
    // re-made one: its notes (too many digits, numbers mixed with letters,
    // negative numbers) show once, and the log has both readings' lines.
    const std::string data = write("digits.csv", "x,z,w\n134.364244112,a,-1\n449.491064789,1,-2.5\n12.5,b,3\n");
    host.answers.push_back(data);
    ASSERT_EQ(open({false, true, 0, false}).end, End::opened);
    EXPECT_EQ(sv.with_prefix("help:NOTE: loss of precision").size(), 1u);
    EXPECT_EQ(sv.with_prefix("msgbox:NOTE: Mixed numeric/character data for z").size(), 1u);
    EXPECT_EQ(sv.with_prefix("msgbox:NOTE: Negative numbers read as missing values: w (2). View log").size(), 1u);
    const auto ls = lines(folder + "DIGITS.LOG");
    EXPECT_EQ(std::count(ls.begin(), ls.end(), "NOTE: Loss of precision on      2 items"), 2);
    EXPECT_EQ(std::count(ls.begin(), ls.end(), "   w                2"), 2);
    // The topic's log line of the note not shown again (the recording services
    // write none for the one shown).
    EXPECT_EQ(std::count(ls.begin(), ls.end(), "NOTE: loss of precision"), 1);
}

TEST_F(OpeningTest, NoToTheQuestionOrACancelledDialogChangesNothing)
{
    write("small.csv", kSmallCsv);
    const std::string cf = write("small.mrc", kSmallMrc);
    ASSERT_EQ(open_file(cf).end, End::opened);
    const mainloop::Analysis* before = analysis.get();

    sv.quiz_answers = {false};
    host.answers.push_back(cf);
    EXPECT_EQ(open({true, false, 0, false}).end, End::unchanged);
    EXPECT_TRUE(sv_called("quiz:?Current analysis will terminate saving only .log file SMALL.LOG  Continue?$ "));
    EXPECT_EQ(host.answers.size(), 1u); // no dialog shown

    host.answers.clear();
    host.answers.push_back("");
    sv.quiz_answers = {true};
    EXPECT_EQ(open({true, false, 0, false}).end, End::unchanged);
    EXPECT_EQ(analysis.get(), before);
    EXPECT_TRUE(log.is_open());
}

TEST_F(OpeningTest, RecentFilesOpenByTheirExtension)
{
    write("small.csv", kSmallCsv);
    const std::string cf = write("small.mrc", kSmallMrc);
    host.recent = {folder + "sheet.xls", cf};
    EXPECT_EQ(open({false, false, 1, false}).end, End::unchanged);
    EXPECT_TRUE(sv_called("msgbox:File extension missing or  inadmissible $ kind=ok"));

    const auto r = open({false, false, 2, false});
    ASSERT_EQ(r.end, End::opened);
    EXPECT_EQ(r.recentix, 2);
    EXPECT_EQ(lines(folder + "SMALL.LOG")[0], "%File:Recent " + cf);
}

TEST_F(OpeningTest, RefusedControlFileLeavesTheOpenAnalysisAndItsLog)
{
    write("small.csv", kSmallCsv);
    ASSERT_EQ(open_file(write("small.mrc", kSmallMrc)).end, End::opened);
    const mainloop::Analysis* before = analysis.get();

    // 9999 variables of three attributes each: beyond the attribute limit.
    const std::string big = write("big.mrc", "Big\n*\nx1:9999 i 1 2\n*\nfree comma\nsmall.csv\n");
    sv.quiz_answers = {true};
    EXPECT_EQ(open_file(big).end, End::unchanged);
    EXPECT_TRUE(sv_called("help:ERROR too many attributes"));
    EXPECT_TRUE(sv_called("msgok:# attributes=29998 $"));
    EXPECT_TRUE(host.called("refused:" + big));
    EXPECT_FALSE(host.called("releasing"));
    EXPECT_EQ(analysis.get(), before);
    ASSERT_TRUE(log.is_open());
    EXPECT_EQ(log.path(), folder + "SMALL.LOG");
    log.write("still written");
    EXPECT_TRUE(has_line(folder + "SMALL.LOG", "still written"));
    EXPECT_TRUE(has_line(folder + "SMALL.LOG", " # lines of data =      5"));
    EXPECT_FALSE(io::file_exists(folder + "BIG.LOG"));

    // A variable list whose numbered ranges name 19998 variables.
    const std::string wide = write("wide.mrc", "Wide\nv1:9999 w1:9999\n*\nv1 i 5\n*\nfree comma\nsmall.csv\n");
    sv.quiz_answers = {true};
    EXPECT_EQ(open_file(wide).end, End::unchanged);
    EXPECT_TRUE(sv_called("help:ERROR too many variables"));
    EXPECT_FALSE(sv.with_prefix("msgok:# variables=").empty());
    EXPECT_EQ(analysis.get(), before);

    // Control files that are not text, or hold a line no control file has: the
    // message says why.
    const std::string utf16("\xFF\xFEH\0i\0\n\0", 8);
    for (const auto& [name, text, why] :
         {std::tuple<std::string, std::string, std::string>{"binary.mrc", std::string("Bin\nary\0\n", 9),
                                                            "binary.mrc (line 2 holds NUL bytes, not text)"},
          {"utf16.mrc", utf16, "utf16.mrc (UTF-16 text, not plain text)"},
          {"long.mrc", "Long\n*\n" + std::string(files::kCfLineMost + 1, 'x') + "\n*\nfree comma\nsmall.csv\n",
           "long.mrc (line 3 is longer than 65536 characters)"}}) {
        const std::string cf = write(name, text);
        sv.quiz_answers = {true};
        EXPECT_EQ(open_file(cf).end, End::unchanged);
        EXPECT_TRUE(sv_called("msgbox:Fatal error in .MRC file. File ignored: " + why + "$ kind=ok")) << name;
        EXPECT_EQ(state.cfname, cf); // Edit .MRC file edits it
        EXPECT_EQ(analysis.get(), before);
    }
}

TEST_F(OpeningTest, BadFixedFormatRecordEndsTheOpeningWithNoAnalysisAndTheLogClosed)
{
    write("small.csv", kSmallCsv);
    ASSERT_EQ(open_file(write("small.mrc", kSmallMrc)).end, End::opened);
    write("fixed.dat", bad_record_past_the_start());
    const std::string cf = write("fixed.mrc", "Fixed\na b\n*\na i 2\n*\n(2F3.0)\nfixed.dat\n");
    sv.quiz_answers = {true};
    EXPECT_EQ(open_file(cf).end, End::closed);
    EXPECT_TRUE(sv_called("msgbox:ERROR: Cannot read data - FORMAT statement may be wrong$ [log] kind=ok"));
    EXPECT_FALSE(analysis);
    EXPECT_TRUE(host.called("releasing"));
    // The control file behind the failure is the one the Edit menu now edits.
    const auto closed = std::find(host.calls.begin(), host.calls.end(), "closed");
    ASSERT_NE(closed, host.calls.end());
    ASSERT_NE(closed + 1, host.calls.end());
    EXPECT_EQ(closed[1], "refused:" + cf);
    EXPECT_FALSE(log.is_open());
    EXPECT_EQ(lines(folder + "FIXED.LOG")[0], "%File:Open " + cf);
}

TEST_F(OpeningTest, DevicesAndBinaryFilesAreRefusedBeforeAnythingIsWritten)
{
    write("small.csv", kSmallCsv);
    ASSERT_EQ(open_file(write("small.mrc", kSmallMrc)).end, End::opened);
    std::string noise(20000, ' ');
    unsigned x = 12345;
    for (char& c : noise) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    write("noise.csv", noise);
    std::filesystem::create_symlink("/dev/zero", folder + "zero.csv");
    write("zero.mrc", "Zero\na\n*\na i 1\n*\nfree comma\n/dev/zero\n");
    std::filesystem::create_symlink("loop.csv", folder + "loop.csv");
    write("loop.mrc", "Loop\na\n*\na i 1\n*\nfree comma\nloop.csv\n");
    const auto files_before = std::distance(std::filesystem::directory_iterator(folder), {});
    struct Case {
        std::string path;
        mainloop::OpenRequest rq;
        std::string message;
    };
    for (const Case& c :
         {Case{folder + "noise.csv", {false, true, 0, false}, "noise.csv (holds NUL bytes, not text)"},
          Case{folder + "zero.csv", {false, true, 0, false}, "zero.csv (not a regular file)"},
          Case{folder + "zero.csv", {true, false, 0, false}, "zero.csv (not a regular file)"},
          Case{folder + "zero.mrc", {true, false, 0, false}, "/dev/zero (not a regular file)"},
          Case{folder + "loop.mrc", {true, false, 0, false}, "loop.csv (Too many levels of symbolic links)"}}) {
        sv.calls.clear();
        sv.quiz_answers = {true};
        host.answers.push_back(c.path);
        EXPECT_EQ(open(c.rq).end, End::unchanged) << c.path;
        const auto msg = sv.with_prefix("msgok:Not a data file: ");
        ASSERT_EQ(msg.size(), 1u) << c.path;
        EXPECT_NE(msg[0].find(c.message), std::string::npos) << msg[0];
        EXPECT_TRUE(analysis) << c.path; // the open analysis stays
        EXPECT_TRUE(log.is_open());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), files_before); // nothing written
}

// A control file behind a link that loops is not made anew over the link: the
// opening says why. A temporary left beside a control file by a killed write
// goes when the file is next opened.
TEST_F(OpeningTest, ALoopingControlFileSaysWhyAndAStaleTemporaryGoesAtOpening)
{
    write("small.csv", kSmallCsv);
    std::filesystem::create_symlink("small.mrc", folder + "small.mrc");
    EXPECT_EQ(open_file(folder + "small.csv").end, End::unchanged);
    const auto msg = sv.with_prefix("msgbox:Unable to open control file ");
    ASSERT_EQ(msg.size(), 1u);
    EXPECT_NE(msg[0].find("small.mrc (Too many levels of symbolic links)"), std::string::npos) << msg[0];
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "small.mrc"));

    std::filesystem::remove(folder + "small.mrc");
    write("small.mrc", kSmallMrc);
    const std::string stale = write("small.mrc.meru-tmp-a1B2c3", "Small te");
    ASSERT_EQ(open_file(folder + "small.mrc").end, End::opened);
    EXPECT_FALSE(std::filesystem::exists(stale));
}

// Lines ended by CR LF, or by carriage returns alone (the last one too): five
// lines either way, as read.
TEST_F(OpeningTest, CrlfAndLoneCarriageReturnDataFilesCountEachLineOnce)
{
    for (const std::string end : {"\r\n", "\r"}) {
        std::string data = "a,b,y" + end;
        for (const char* row : {"1,5.5,0", "2,6.5,1", "3,7.5,0", "4,8.5,1"}) data += row + end;
        const std::string name = end == "\r" ? "cr" : "crlf";
        write(name + ".csv", data);
        ASSERT_EQ(open_file(write(name + ".mrc", "Lines\n*\na i 2\n*\nfree comma\n" + name + ".csv\n")).end,
                  End::opened);
        const std::string log_path = folder + (end == "\r" ? "CR.LOG" : "CRLF.LOG");
        EXPECT_TRUE(has_line(log_path, " # lines of data =      5")) << name;
        EXPECT_FALSE(has_line(log_path, "Mis-match")) << name;
        EXPECT_EQ(analysis->nrecords, 5) << name;
        EXPECT_EQ(analysis->nobs, 4) << name;
        EXPECT_EQ(analysis->hascr, end == "\r");
    }
}

TEST_F(OpeningTest, EmptyDataFileOpensWithoutData)
{
    write("empty.csv", "");
    ASSERT_EQ(open_file(write("empty.mrc", "Empty\na b\n*\na i 2\n*\nfree comma\nempty.csv\n")).end, End::opened);
    EXPECT_TRUE(has_line(folder + "EMPTY.LOG", " # lines of data =      0"));
    EXPECT_TRUE(sv_called("msgbox:ERROR: Seems to be no data in data file?$ [log] kind=ok"));
    EXPECT_TRUE(analysis->nodata);
    EXPECT_EQ(analysis->nobs, 1);
}

TEST_F(OpeningTest, NotesOfTheControlFileAreCountedInOneBox)
{
    write("small.csv", kSmallCsv);
    ASSERT_EQ(
        open_file(write("notes.mrc", "Notes\n*\na i 2\nzz i 1\nqq i 1\nww i 1\n*\nfree comma\nsmall.csv\n")).end,
        End::opened);
    EXPECT_EQ(analysis->nnotes, 3);
    EXPECT_TRUE(sv_called("msgbox:    3 notes or errors in control file. View log $ kind=ok"));
}

TEST_F(OpeningTest, RereadOpensTheSameControlFileAndPutsItInTheRecentList)
{
    write("small.csv", kSmallCsv);
    const std::string cf = write("small.mrc", kSmallMrc);
    ASSERT_EQ(open_file(cf).end, End::opened);
    state.dialog_path = folder + "notes.txt"; // as Edit:Edit file leaves it
    const auto r = open({true, false, 0, true});
    ASSERT_EQ(r.end, End::opened);
    EXPECT_TRUE(sv.with_prefix("quiz:").empty());
    EXPECT_TRUE(host.answers.empty());
    EXPECT_EQ(r.recent, cf);
    EXPECT_EQ(lines(folder + "SMALL.LOG")[0], "%File:Open " + cf);
}

TEST_F(OpeningTest, RereadOfAChangedControlFileWithCombinationsNotesTheChange)
{
    write("small.csv", kSmallCsv);
    const std::string cf = write("combo.mrc", "Combo\n*\na i 2\ny b\n*\nfree comma\nsmall.csv\n+both  (2 3)\n");
    ASSERT_EQ(open_file(cf).end, End::opened);
    EXPECT_EQ(state.ncomb, 1);
    write("combo.mrc", "Combo\n*\na i 2 3\ny b\n*\nfree comma\nsmall.csv\n+both  (2 3)\n");
    ASSERT_EQ(open({true, false, 0, true}).end, End::opened);
    EXPECT_TRUE(sv_called("help:NOTE: possible control file changes"));
}

// Two programs opening one analysis: a numbered name the other takes between the
// look and the claim is left to it, and a log it has moved away is not missed.
TEST_F(OpeningTest, AnEarlierLogNeverReplacesAnotherProgramsKeptLog)
{
    write("BCW.LOG", "earlier\n");
    const auto kept = mainloop::keep_earlier_log(folder, "BCW.LOG", [&](const std::string& path) {
        if (path == folder + "BCW.L01") write("BCW.L01", "other\n");
    });
    EXPECT_EQ(kept.name + kept.error, "BCW.L02");
    EXPECT_EQ(lines(folder + "BCW.L01"), std::vector<std::string>{"other"});
    EXPECT_EQ(lines(folder + "BCW.L02"), std::vector<std::string>{"earlier"});
    write("BCW.LOG", "moved\n");
    const auto gone = mainloop::keep_earlier_log(
        folder, "BCW.LOG", [&](const std::string& path) { std::filesystem::rename(folder + "BCW.LOG", path + "x"); });
    EXPECT_EQ(gone.name + gone.error, "");
}

// A log another program holds (a writer of its own here) stays as it is: the
// analysis is logged under the next free name and says so, a re-read goes on in
// that log, and File:New's reading of its re-made control file in the next one.
TEST_F(OpeningTest, ALogHeldElsewhereIsLeftAndTheAnalysisIsLoggedUnderTheNextName)
{
    const std::string data = write("small.csv", kSmallCsv);
    const std::string cf = write("small.mrc", kSmallMrc);
    io::LogWriter other;
    ASSERT_EQ(other.create_new(folder + "SMALL.LOG"), 0);
    other.write("other");
    ASSERT_EQ(open_file(cf).end, End::opened);
    EXPECT_TRUE(sv_called("msgbox:NOTE: SMALL.LOG is open in another copy of MERU; this log is SMALL.L01$ [log] kind=ok"));
    ASSERT_EQ(open({true, false, 0, true}).end, End::opened);
    const auto ls = lines(folder + "SMALL.L01");
    EXPECT_EQ(std::count(ls.begin(), ls.end(), "%File:Open " + cf), 2);
    EXPECT_EQ(std::count(ls.begin(), ls.end(), " This output file is: SMALL.L01"), 2);
    sv.quiz_answers = {true, true, false};
    host.answers.push_back(data);
    ASSERT_EQ(open({false, true, 0, false}).end, End::opened);
    EXPECT_EQ(analysis->logname, "SMALL.L02");
    EXPECT_FALSE(io::file_exists(folder + "SMALL.L03"));
    EXPECT_EQ(lines(folder + "SMALL.LOG"), std::vector<std::string>{"other"});
}

TEST_F(OpeningTest, RecentDataFileUsesTheControlFileBesideIt)
{
    const std::string data = write("small.csv", kSmallCsv);
    write("small.mrc", kSmallMrc);
    host.recent = {data};
    const auto r = open({false, false, 1, false});
    ASSERT_EQ(r.end, End::opened);
    EXPECT_EQ(analysis->cfname, folder + "small.mrc");
    EXPECT_EQ(analysis->datapath, data);
    EXPECT_EQ(lines(folder + "SMALL.LOG")[0], "%File:Recent " + data);
    EXPECT_TRUE(sv.with_prefix("msgbox:No associated").empty());
}

TEST(DataArrays, LimitsAndDimensions)
{
    RecordingServices sv;
    std::string msgline;
    EXPECT_TRUE(mainloop::bounds_usable({10000, 12, 3}, sv, msgline));
    EXPECT_FALSE(mainloop::bounds_usable({10001, 12, 3}, sv, msgline));
    EXPECT_EQ(sv.calls, (std::vector<std::string>{"help:ERROR too many attributes", "msgok:# attributes=10001 $"}));
    EXPECT_TRUE(mainloop::bounds_usable({50, 10010, 3}, sv, msgline));
    EXPECT_FALSE(mainloop::bounds_usable({50, 10011, 3}, sv, msgline));
    EXPECT_EQ(sv.calls.back(), "msgok:# variables=10011 $");

    mainloop::Analysis a;
    ASSERT_TRUE(mainloop::allocate_tables(a, {10000, 12, 3}, sv));
    EXPECT_EQ(a.tables.dims.lc, 10050);
    EXPECT_EQ(a.tables.dims.nv, 62);
    // The arrays reserve what the control file's 7 variables and 9 attributes
    // need (and room for a group of 8 variables made later), not the
    // dimensions (62 + 150 columns, 10050 attributes), and no identifiers
    // without an _ID_ or _FREQ_ column.
    a.tables.vars.nvar = 7;
    a.tables.natt = 9;
    ASSERT_TRUE(mainloop::allocate_observations(a, 500, sv));
    EXPECT_EQ(a.data.xdata.size(), 500u * 7);
    EXPECT_EQ(a.data.xdata.capacity(), 500u * (7 + 8));
    EXPECT_TRUE(std::all_of(a.data.xdata.begin(), a.data.xdata.end(), [](float v) { return v == 0.0f; }));
    EXPECT_EQ(a.data.abyte.capacity(), 500u * 9);
    EXPECT_EQ(a.data.lc, 9);
    EXPECT_EQ(a.data.ncols, 62 + 150);
    EXPECT_EQ(a.data.maxatt, 10050);
    EXPECT_TRUE(a.data.obsid.empty());
    EXPECT_EQ(a.ymat.size(), 5u * 500);
    a.tables.vars.hasfreq = true;
    ASSERT_TRUE(mainloop::allocate_observations(a, 500, sv));
    EXPECT_EQ(a.data.obsid.size(), 500u);
}

TEST(DataArrays, EachFailedGroupShowsItsOwnMessageAndTheLaterGroupsAreStillTried)
{
    RecordingServices sv;
    int tried = 0;
    const auto fails = [&] {
        ++tried;
        throw std::bad_alloc();
    };
    const auto works = [&] { ++tried; };
    const mainloop::AllocationGroup groups[] = {{"Unable to allocate arrays dim KMAX$", works},
                                                {"Unable to allocate arrays dim LC$", fails},
                                                {"Unable to allocate arrays dim NFMAX$", fails},
                                                {"Unable to allocate arrays dim NCUTX=$", works}};
    EXPECT_FALSE(mainloop::allocate_groups(groups, sv));
    EXPECT_EQ(tried, 4);
    EXPECT_EQ(sv.calls, (std::vector<std::string>{
                            "msgok:Unable to allocate arrays dim LC$", "msgok:Unable to allocate arrays dim NFMAX$",
                            "msgbox:Catastrophic data array allocation error. $ [log] kind=ok"}));
    RecordingServices quiet;
    EXPECT_TRUE(mainloop::allocate_groups(std::span(groups).first(1), quiet));
    EXPECT_TRUE(quiet.calls.empty());
}

} // namespace
} // namespace meru::test
