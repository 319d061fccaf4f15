// The list-box callbacks' selection flags, the file-open dialog wrapper and the
// scatter window's Window-menu routine.
#include "platform/dialogs.h"
#include "platform/window.h"
#include "ui/bring_to_front.h"
#include "ui/listsel.h"
#include "ui/opendlg.h"
#include "ui_fixture.h"

#include "support/temp_path.h"

#include <fstream>

using namespace meru;
using meru::test::EndRecorder;
using meru::test::make_script;
using meru::test::UiTest;

namespace {

std::unique_ptr<platform::Dialog> five_item_dialog(platform::DialogLibrary& lib)
{
    std::vector<std::string> errors;
    platform::parse_dialog_templates("dialog 900 \"Pick\" 0 0 200 150\n"
                                     "  list 105 \"\" 5 5 150 100 multi\n"
                                     "  list 106 \"\" 5 5 150 100\n"
                                     "  button 1 \"OK\" 5 120 40 14 default\n"
                                     "end\n",
                                     "test", lib, errors);
    EXPECT_TRUE(errors.empty());
    auto d = platform::Dialog::load(lib, 900, {});
    d->set_int(105, 5, platform::kNumItems);
    for (int j = 1; j <= 5; ++j) d->set_text(105, "item " + std::to_string(j), j);
    return d;
}

} // namespace

TEST_F(UiTest, ListCallbacksFlagTheSelectedItemsAndClearUpToOnePastTheLast)
{
    platform::DialogLibrary lib;
    auto d = five_item_dialog(lib);
    ui::Selections sel;
    sel.selflag.assign(8, true); // left from an earlier, longer list
    d->set_callback(105, ui::lbsel_callback(sel));
    std::string why;
    ASSERT_TRUE(d->user_set(105, "2, 5", why)) << why;
    EXPECT_EQ(sel.selflag, (std::vector<bool>{true, false, true, false, false, true, false, true}));
    EXPECT_EQ(sel.seltext.size(), 50u);
    EXPECT_EQ(sel.seltext.substr(0, 6), "item 2");

    // Nothing selected: flags 1 to 6 false.
    ASSERT_TRUE(d->user_set(105, "", why)) << why;
    EXPECT_EQ(sel.selflag, (std::vector<bool>{true, false, false, false, false, false, false, true}));

    // A short flag array grows to hold n + 1 flags; the Y and Transform callbacks
    // fill their own arrays and leave the text alone.
    d->set_logical(105, true, 3);
    sel.seltext = "kept";
    ui::lbsely(*d, 105, sel);
    EXPECT_EQ(sel.yselflag, (std::vector<bool>{false, false, false, true, false, false, false}));
    ui::lbselt(*d, 105, sel);
    EXPECT_EQ(sel.tselflag, sel.yselflag);
    EXPECT_EQ(sel.seltext, "kept");

    // An empty list: only element 1 is cleared.
    std::vector<bool> flags(3, true);
    ui::select_flags(*d, 106, flags);
    EXPECT_EQ(flags, (std::vector<bool>{true, false, true}));
}

TEST_F(UiTest, FileOpenDialogGivesThePathOrLeavesItOnCancel)
{
    const std::string chosen = log_path; // an existing file
    EndRecorder host;
    auto script = make_script("file cancel\nfile " + chosen + "\n", host);
    platform::ModalHost modal{&frame.main_window(), script.get()};
    const std::string filter = std::string("Control files (*.mrc)\0*.mrc\0All files\0*.*\0\0", 44);
    std::string path = std::string("start.mrc\0junk", 14);
    EXPECT_EQ(ui::opendlg(modal, path, filter), 0);
    EXPECT_EQ(path, std::string("start.mrc\0junk", 14));
    EXPECT_EQ(ui::opendlg(modal, path, filter), 1);
    EXPECT_EQ(path, chosen);
    EXPECT_EQ(host.status, -1);
}

TEST_F(UiTest, FileOpenDialogGivesATypedNameWithoutExtensionTheTxtOne)
{
    const std::string notes = test::temp_path("notes");
    for (const char* ext : {".txt", ".dat"}) std::ofstream(notes + ext) << "x\n";
    {
        std::ofstream(test::temp_path("plain")) << "x\n";
    }
    EndRecorder host;
    auto script =
        make_script("file " + notes + "\nfile " + test::temp_path("plain") + "\nfile " + notes + ".dat\n", host);
    platform::ModalHost modal{&frame.main_window(), script.get()};
    const std::string filter = std::string("All files\0*.*\0\0", 16);
    std::string path;
    ASSERT_EQ(ui::opendlg(modal, path, filter), 1);
    EXPECT_EQ(path, notes + ".txt");
    // A name that exists, or that has an extension, is kept.
    ASSERT_EQ(ui::opendlg(modal, path, filter), 1);
    EXPECT_EQ(path, test::temp_path("plain"));
    ASSERT_EQ(ui::opendlg(modal, path, filter), 1);
    EXPECT_EQ(path, notes + ".dat");
}

TEST_F(UiTest, ScatterWindowComesBackActiveAtItsNormalSize)
{
    ASSERT_TRUE(frame.open_window(ui::kScatterWindow, "Scatter"));
    ASSERT_TRUE(frame.open_window(20, "Other"));
    frame.set_active(20);
    frame.set_window_size(ui::kScatterWindow, {platform::SizeState::minimised});
    ui::front19(frame);
    EXPECT_EQ(frame.active(), ui::kScatterWindow);
    EXPECT_FALSE(frame.window(ui::kScatterWindow)->isMinimized());
    // Without the window nothing happens.
    frame.close_window(ui::kScatterWindow);
    frame.set_active(20);
    ui::front19(frame);
    EXPECT_EQ(frame.active(), 20);
}
