// The text viewer in a window, driven by scripted keys, clicks and dialog
// answers on a fake clock: each log colour by pixels away from the text and by
// the text colours of the draw journal, the page moves, Find, Goto and the help
// buttons, and every way of leaving: the search text written back or not, the
// menus as they were before, the mouse callback gone, the window minimised
// under its notice, and the analysis log still writing.
#include "platform/canvas.h"
#include "platform/colour.h"
#include "platform/events.h"
#include "platform/script_host.h"
#include "platform/window.h"
#include "ui/listsel.h"
#include "ui/ui_fixture.h"
#include "ui/viewer/viewfile.h"

#include <QImage>

namespace meru::ui::viewer {
namespace {

class ViewfileTest : public test::UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        platform::set_clock(&clock);
        ctx.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        frame.set_journaling(true);
    }
    void TearDown() override
    {
        platform::remove_script_hook();
        platform::set_clock(nullptr);
    }

    std::string file(const std::string& name, const std::vector<std::string>& lines)
    {
        const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
        std::ofstream out(path, std::ios::binary);
        for (const auto& l : lines) out << l << "\n";
        return path;
    }

    // Runs the viewer with the script answering its waits.
    void view(ViewRequest& rq, const std::string& script_text)
    {
        platform::FrameScriptHost host(frame, menus);
        host.set_exit([this](int status) { ended = status; });
        auto script = test::make_script(script_text, host);
        platform::install_script_hook(*script);
        ctx.host.script = script.get();
        viewfile(ctx, selections, state, rq);
        ctx.host.script = nullptr;
        platform::remove_script_hook();
    }

    // The texts drawn on row r of the unit's window, in order.
    std::vector<std::string> row_texts(int unit, int r)
    {
        std::vector<std::string> out;
        for (const auto& call : frame.canvas(unit)->journal())
            if (call.op == "text" && !call.points.empty() && call.points.front().y() == 14 * r - 14)
                out.push_back(call.text);
        return out;
    }
    // The colour of the last text drawn on row r.
    int row_fore(int unit, int r)
    {
        int colour = -1;
        for (const auto& call : frame.canvas(unit)->journal())
            if (call.op == "text" && !call.points.empty() && call.points.front().y() == 14 * r - 14)
                colour = call.colour;
        return colour;
    }
    int pixel(int unit, int x, int y) { return frame.canvas(unit)->get_pixel_rgb(x, y); }

    std::vector<bool> usable_menus()
    {
        std::vector<bool> out;
        for (int m = 1; m <= 12; ++m)
            for (int i = 0; i <= 2; ++i) out.push_back(menus.usable(m, i));
        return out;
    }
    // The viewer left as it must: menus back, callback gone, window minimised with
    // the notice on row 1.
    void expect_left(int unit, const std::vector<bool>& menus_before)
    {
        EXPECT_EQ(usable_menus(), menus_before);
        EXPECT_EQ(menus.off_depth(), 0);
        EXPECT_EQ(frame.window(unit)->unregister_mouse(), -1); // none was left registered
        EXPECT_EQ(frame.window_size(unit)->state, platform::SizeState::minimised);
        EXPECT_EQ(pixel(unit, 630, 7), 0xcccccb);
        EXPECT_EQ(row_texts(unit, 1).back(), "Window not active. Click View:Output to activate");
    }

    platform::FakeClock clock;
    Selections selections;
    ViewerState state;
    std::vector<std::string> topics;
    int ended = -1;
};

TEST_F(ViewfileTest, LogLinesInTheirColours)
{
    const std::vector<std::string> lines = {
        " plain",      "NOTE: a note",     "+stored", "ERROR: bad", "result 1.5", "Analysis of BY group",
        "%Search:Go!", "%time12:00:00:00", "1first",  "2second",    "ERRO-----",
    };
    const std::string path = file("COLOURS.LOG", lines);
    std::string search = "none";
    bool note = true;
    ViewRequest rq{path, kLogFile, &note, true, &search, {}, {}, {}};
    const auto before = usable_menus();
    view(rq, "key 57 x\nshot 57 " + dir.filePath("colours.png").toStdString() + "\nkey 57 Esc\n");

    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: Output file "}));
    EXPECT_FALSE(note);
    EXPECT_EQ(search, "none"); // under 45 lines: no search; Esc writes back the same text
    expect_left(kLogWindow, before);

    const QImage shot(dir.filePath("colours.png"));
    ASSERT_EQ(shot.size(), QSize(640, 630));
    auto at = [&](int x, int r) { return platform::from_qrgb(shot.pixel(x, 14 * r - 7)); };
    // Row r + 2 shows line r. Full-width bars read at the right edge; the bars
    // that end after their text read just before and after their end.
    EXPECT_EQ(at(630, 2), kWhite);
    EXPECT_EQ(at(630, 3), kWhite);
    EXPECT_EQ(at(630, 4), kWhite);
    EXPECT_EQ(at(630, 5), kWhite);
    EXPECT_EQ(at(int(6.9 * 12) - 1, 6), kPaleYellow); // "result 1.5": L = 10
    EXPECT_EQ(at(int(6.9 * 12) + 1, 6), kWhite);
    EXPECT_EQ(at(int(6.9 * 22) - 1, 7), kPaleBlue); // "Analysis of BY group": L = 20
    EXPECT_EQ(at(int(6.9 * 22) + 1, 7), kWhite);
    EXPECT_EQ(at(630, 8), kPaleGreen);
    EXPECT_EQ(at(630, 9), kWhite);
    EXPECT_EQ(at(630, 10), kWhite);
    EXPECT_EQ(at(630, 11), kLightGrey);
    EXPECT_EQ(at(630, 12), kWhite);
    for (int r = 13; r <= 45; ++r) EXPECT_EQ(at(300, r), kGrey) << "row " << r;

    // Text colours and the blanked first characters.
    const int fore[] = {kBlack, kBlue, kBlue, kRed, kBlack, kBlack, kBlack, kGrey, kBlack, kBlack, kBlue};
    for (int k = 0; k < 11; ++k) EXPECT_EQ(row_fore(kLogWindow, k + 2), fore[k]) << lines[k];
    EXPECT_EQ(row_texts(kLogWindow, 4).back(), " stored");
    EXPECT_EQ(row_texts(kLogWindow, 8).back(), " Search:Go!");
    EXPECT_EQ(row_texts(kLogWindow, 10).back(), " first");
    EXPECT_EQ(row_texts(kLogWindow, 11).back(), " second");
}

TEST_F(ViewfileTest, PagesFindsGoesToASectionAndWritesBackOnEsc)
{
    std::vector<std::string> lines;
    for (int k = 0; k < 200; ++k)
        lines.push_back(k == 10 || k == 100 ? "%time " + std::to_string(k) : "line " + std::to_string(k));
    const std::string path = file("PAGES.LOG", lines);
    ctx.history.entries = {{"File:Open pages", "%time 10"}, {"Search:Go!", "%time 100"}};
    std::string search = "%time 100";
    ViewRequest rq{path, kLogFile, nullptr, true, &search, {}, {}, {}};
    const auto before = usable_menus();
    const std::string find_png = dir.filePath("find.png").toStdString();
    view(rq, "key 57 PgDn\n"
             "click 57 110 5\n" // PgUp
             "click 57 335 5\n" // Find
             "dialog Find string\n  set Enter string = line 150\n  press OK\n"
             "key 57 x\nshot 57 " +
                 find_png +
                 "\n"
                 "click 57 515 5\n"                                 // Goto
                 "dialog View Sections of output log\n  press OK\n" // nothing chosen: shown again
                 "dialog View Sections of output log\n  set 1007 = 1\n  press OK\n"
                 "key 57 Esc\n");
    // Opens at the time line as the page's second line; PgDn; PgUp backs up
    // s + n - 1 = 89 lines; Find's hit and Goto's time line are second lines.
    EXPECT_EQ(row_texts(kLogWindow, 2),
              (std::vector<std::string>{"line 99", "line 143", "line 98", "line 149", "line 9"}));
    const QImage shot(QString::fromStdString(find_png));
    EXPECT_EQ(platform::from_qrgb(shot.pixel(630, 35)), kBlack); // the hit, highlighted
    EXPECT_EQ(search, "%time 10");
    expect_left(kLogWindow, before);
    EXPECT_EQ(ended, -1);
}

TEST_F(ViewfileTest, RightClickLeavesWithoutWritingBackAndSidewaysReturnsToColumnOne)
{
    const std::string path = file("wide.txt", {std::string(30, 'a') + "bcdefghij", "short"});
    std::string search = "kept";
    ViewRequest rq{path, kAnyFile, nullptr, false, &search, {}, {}, {}};
    const auto before = usable_menus();
    view(rq, "key 150 6\nkey 150 6\nkey 150 4\nkey 150 4\nkey 150 4\nclick 150 300 300 right\n");
    // The rows show the text from textcol1: 1, 21, 41 (past its end: nothing), 21,
    // 1, and 1 again.
    const auto texts = row_texts(150, 2);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[1], std::string(10, 'a') + "bcdefghij");
    EXPECT_EQ(texts[2], texts[1]);
    EXPECT_EQ(texts[3], std::string(30, 'a') + "bcdefghij");
    EXPECT_EQ(texts[4], texts[3]);
    EXPECT_EQ(ctx.textcol1, 1);
    EXPECT_EQ(search, "kept");
    expect_left(150, before);
}

TEST_F(ViewfileTest, FindHelpAndACancelledFirstFindWriteBackABlankText)
{
    std::vector<std::string> lines(60, "text");
    const std::string path = file("control.mrc", lines);
    std::string search = "%time 1";
    int reopened = 0;
    ViewRequest rq{path, kControlFile, nullptr, false, &search, {}, {}, [&](bool) { ++reopened; }};
    // While the viewer waits, the frame's status line says why the menus are
    // grey; leaving gives back the line it had.
    frame.set_status("before");
    std::vector<std::string> status;
    ctx.help = [&](std::string_view topic) {
        topics.emplace_back(topic);
        status.push_back(frame.status());
    };
    view(rq, "click 91 335 5\n"
             "dialog Find string\n  press Help\n"
             "dialog Find string\n  press Cancel\n"
             "click 91 500 5\n" // button 11: the control file's help
             "click 91 545 5\n" // button 12
             "key 91 Esc\n");
    EXPECT_EQ(topics, (std::vector<std::string>{"Find string", "Help: .MRC file", "Help: Browser"}));
    EXPECT_EQ(status,
              std::vector<std::string>(3, "The menus wait while " + path + " is viewed: Esc returns to them."));
    EXPECT_EQ(frame.status(), "before");
    EXPECT_EQ(search, "");
    EXPECT_TRUE(state.find_cancelled);
    // The control file's viewer has its Window-menu item.
    ASSERT_EQ(ctx.windows.units.count(kControlFile), 1u);
    const platform::MenuHandle item = ctx.windows.units[kControlFile].handle;
    EXPECT_EQ(menus.text(kWindowMenu, menus.position(item).second), path.substr(0, 39) + " ");
}

TEST_F(ViewfileTest, OtherFilesHaveNoHelpOnButtonEleven)
{
    const std::string path = file("notes.txt", std::vector<std::string>(60, "text"));
    std::string search;
    ViewRequest rq{"", kAnyFile, nullptr, false, &search, {}, {}, {}};
    view(rq, "file " + path + "\nclick 150 500 5\nclick 150 545 5\nkey 150 Esc\n");
    EXPECT_EQ(topics, (std::vector<std::string>{"Help: Browser"})); // button 12 only
}

TEST_F(ViewfileTest, AnotherLogFileIsReadThroughTheViewersReaderAndTheLogGoesOn)
{
    log.write("first line");
    log.flush();
    std::string search;
    ViewRequest rq{"", kAnyFile, nullptr, false, &search, {}, {}, {}};
    view(rq, "file " + log_path + "\nkey 57 x\nclick 57 545 5\nkey 57 Esc\n");
    // A ".log" file is viewed as the log (window 57) but its help is the browser's.
    EXPECT_EQ(row_texts(kLogWindow, 2).front(), "first line");
    EXPECT_EQ(topics, (std::vector<std::string>{"Help: Browser"}));
    log.write("second line");
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"first line", "second line"}));
}

TEST_F(ViewfileTest, NoFileGivesTheNoteAndTheFileDialogAndAMissingGotoLeavesCleanly)
{
    std::string search = "x";
    ViewRequest none{"", kLogFile, nullptr, true, &search, {}, {}, {}};
    const auto before = usable_menus();
    view(none, "file cancel\n");
    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: no file yet assigned"}));
    EXPECT_FALSE(frame.is_open(kLogWindow));
    EXPECT_EQ(usable_menus(), before);

    dialogs.dialogs.erase(kDialogGoto);
    const std::string path = file("GOTO.LOG", {"a", "b"});
    ViewRequest rq{path, kLogFile, nullptr, true, &search, {}, {}, {}};
    view(rq, "click 57 515 5\n");
    expect_left(kLogWindow, before);
    EXPECT_EQ(search, "x");
    EXPECT_EQ(log_lines().back(), "Error: dialog box 1399 not found");
}

TEST_F(ViewfileTest, DataFileHasARedNameRowAndFieldsInNineColumns)
{
    const std::string path = file("data.csv", {"1, 2,3", "4,5,6"});
    std::string search;
    PageStyle data;
    data.delimited = true;
    data.layout = {false, true};
    data.name_row = field_row({"a", "b", "c"});
    ViewRequest rq{path, kDataFile, nullptr, false, &search, {}, data, {}};
    view(rq, "key 92 x\nkey 92 Esc\n");
    EXPECT_EQ(row_texts(kDataWindow, 2).front(), "a        b        c        ");
    EXPECT_EQ(row_fore(kDataWindow, 2), kRed);
    EXPECT_EQ(row_texts(kDataWindow, 3).front(), "1        2        3        ");
    EXPECT_EQ(pixel(kDataWindow, 300, 14 * 5 - 7), kGrey); // rows 3 and 4 hold the data
    EXPECT_EQ(pixel(kDataWindow, 300, 14 * 45 - 7), kGrey);
}

} // namespace
} // namespace meru::ui::viewer
