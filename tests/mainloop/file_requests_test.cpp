// The File and Edit steps on the program's state: the menus an opening leaves,
// a failed opening, control-file combinations, the outside editor and the
// re-read, the bootstrap toggle and the training/test switch.
#include "program_fixture.h"

#include "mainloop/editmenu.h"
#include "mainloop/file_requests.h"
#include "mainloop/mainloop.h"
#include "plots/yhist.h"
#include "rectdiag/srdwin.h"
#include "settings/attr_picker.h"
#include "support/scripted_forms.h"
#include "tree/tree_window.h"
#include "ui/ui_fixture.h"

#include <cstdlib>
#include <filesystem>

namespace meru::test {
namespace {

using mainloop::Flow;

class FileRequestTest : public ProgramTest {
protected:
    void SetUp() override
    {
        ProgramTest::SetUp();
        previous = io::current_folder().value_or(".");
        folder = dir.path().toStdString() + "/";
        program->ui.help = [this](std::string_view topic) { topics.emplace_back(topic); };
        write("kyphosis.csv", "age,number,start,kyphosis\n71,3,5,0\n158,3,14,0\n128,4,5,1\n2,5,1,0\n");
        cf = write("kyphosis.mrc", "Kyphosis\n*\nage i 20 50\nkyphosis b\n*\nfree comma\nkyphosis.csv\n");
    }
    void TearDown() override
    {
        program->ui.host.script = nullptr;
        io::change_folder(previous);
        ProgramTest::TearDown();
    }

    std::string write(const std::string& name, const std::string& text)
    {
        std::ofstream(folder + name, std::ios::binary) << text;
        return folder + name;
    }
    // Answers the program's modals from `text` (script actions).
    void answer(const std::string& text)
    {
        script = make_script(text, ender);
        program->ui.host.script = script.get();
    }
    Flow open(const std::string& path, bool ask = false)
    {
        answer(std::string(ask ? "answer yes\n" : "") + "file " + path + "\ndismiss\n");
        program->flags.qfile = program->flags.fopen = true;
        const Flow f = mainloop::file_request(*program);
        program->flags.qfile = program->flags.fopen = false;
        return f;
    }
    bool grey(int menu, int item) { return !program->menus.enabled(menu, item); }
    // The control file opened and split: observations 1 and 3 train, 2 and 4 test.
    mainloop::Analysis& open_split()
    {
        EXPECT_EQ(open(cf), Flow::loop_head);
        auto& a = *program->analysis;
        a.data.obswt = {1, 0, 1, 0};
        a.data.testwt = {0, 1, 0, 1};
        a.splitactive = true;
        return a;
    }
    std::string log_text()
    {
        program->log.flush();
        std::ifstream in(program->log.path());
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    std::string previous, folder, cf;
    std::vector<std::string> topics;
    EndRecorder ender;
    std::unique_ptr<platform::Script> script;
};

TEST_F(FileRequestTest, OpeningSetsTheMenusSettingsAndRecentList)
{
    // What the analysis before chose and derived for its own data.
    stats::CritSettings& c = program->crit;
    c.icrit = 3;
    c.auto_beta = false;
    c.beta = 0.05;
    c.complexity = 2;
    c.gamma = 0.5;
    c.balanced = true;
    c.prior_mode = stats::PriorMode::User;
    c.priors_given = c.specify_costs = c.weigh_by_costs = true;
    c.cost[0] = {1.0, 0.0};
    program->crit_texts.priors = "0.3 0.7";
    program->crit_texts.cost_a = "0 2";
    program->strategy.treemode = true;
    program->strategy.topm = 3; // truncated by a search
    program->strategy.topmbox = "  3";
    program->strategy.chosen_topm = 5;
    program->iteration.letter = 4;
    program->ptext = "(-5 -7)(-9 -3)"; // the Manual partition field
    program->forcing = {true, false, -3};
    ASSERT_EQ(open(cf), Flow::loop_head);
    ASSERT_TRUE(program->analysis);
    auto& m = program->menus;
    // The frame's status line names the log by the View and Window items that show it.
    mainloop::loop_head(*program);
    const std::string log = program->analysis->logname;
    EXPECT_NE(m.find("View", "Output " + log), 0);
    EXPECT_NE(m.find("Window", log), 0);
    EXPECT_EQ(program->frame.status(), "The output log " + log + " holds the analysis: View > Output " + log +
                                           " (or Window > " + log + ") shows it.");
    EXPECT_TRUE(m.checked(1, 1));
    EXPECT_EQ(m.text(2, 1), "Edit " + cf + " ");
    EXPECT_FALSE(grey(2, 0));
    EXPECT_FALSE(grey(3, 0));
    EXPECT_EQ(m.text(3, 1), "Ok  age ");
    for (int menu = 4; menu <= 7; ++menu) EXPECT_TRUE(grey(menu, 0)) << "menu " << menu;
    EXPECT_FALSE(grey(8, 0));
    EXPECT_TRUE(grey(8, 1));
    EXPECT_TRUE(grey(8, 2)); // no _ID_ variable
    EXPECT_FALSE(grey(8, 9));
    EXPECT_EQ(m.text(10, 1), "Output KYPHOSIS.LOG ");
    EXPECT_EQ(m.text(10, 2), "Data kyphosis.csv ");
    EXPECT_EQ(m.text(10, 3), "Control " + cf + " ");
    EXPECT_TRUE(grey(10, 6));
    EXPECT_NE(m.find("Window", "KYPHOSIS.LOG"), 0);
    EXPECT_EQ(program->crit.icrit, 1);
    EXPECT_EQ(program->crit.critname, "Within MSE");
    EXPECT_TRUE(c.auto_beta);
    EXPECT_EQ(c.beta, 0.0);
    EXPECT_EQ(c.complexity, 2);
    EXPECT_EQ(c.gamma, 0.0);
    EXPECT_FALSE(c.balanced);
    EXPECT_EQ(c.prior_mode, stats::PriorMode::Data);
    EXPECT_FALSE(c.priors_given || c.specify_costs || c.weigh_by_costs);
    EXPECT_EQ(c.cost[0].in_a, 1.0);
    EXPECT_EQ(program->crit_texts.priors + program->crit_texts.cost_a, "");
    EXPECT_FALSE(program->strategy.treemode);
    EXPECT_EQ(program->strategy.topm, 5);
    EXPECT_EQ(program->strategy.attrsetspec, "1-  5");
    EXPECT_EQ(program->iteration.letter, 0);
    EXPECT_EQ(program->ptext, "");
    EXPECT_EQ(program->forcing.forcedattr, 0);
    ASSERT_FALSE(program->prefs.recent.empty());
    EXPECT_EQ(program->prefs.recent[0], cf);

    // A second opening renames the log's Window item instead of adding another.
    const int items = m.item_count(11);
    const std::string other = write("second.mrc", "Second\n*\nage i 20 50\n*\nfree comma\nkyphosis.csv\n");
    ASSERT_EQ(open(other, true), Flow::loop_head);
    EXPECT_EQ(m.item_count(11), items);
    EXPECT_NE(m.find("Window", "SECOND.LOG"), 0);
    EXPECT_EQ(program->prefs.recent[0], other);
    EXPECT_EQ(program->prefs.recent[1], cf);
}

TEST_F(FileRequestTest, AnOpeningClosesTheOldWindowsAndEndsTheTreeStrategy)
{
    ASSERT_EQ(open(cf), Flow::loop_head);
    // The tree diagram keeps no Window-menu item; the distribution and the
    // rectangle diagram are left as their windows are after a plot.
    for (int unit : {tree::kTreeUnit, plots::kDistWindow, rectdiag::kDiagramUnit})
        ASSERT_TRUE(frame.open_window(unit, "old"));
    // Choosing Tree cleared iterative mode and Decide positivity and made the
    // extent single attributes with three floating cuts (and held all three).
    program->strategy.treemode = true;
    program->strategy.before_tree = {{true, true, "3 2", 2}};
    program->strategy.iterative = program->strategy.decidepos = false;
    program->extent.sizetext = "1";
    program->extent.bounds = {1};
    program->extent.nfloatx = 3;

    ASSERT_EQ(open(cf, true), Flow::loop_head);
    for (int unit : {tree::kTreeUnit, plots::kDistWindow, rectdiag::kDiagramUnit})
        EXPECT_FALSE(frame.is_open(unit)) << unit;
    EXPECT_TRUE(frame.is_open(mainloop::kProgressUnit));
    EXPECT_FALSE(program->strategy.treemode);
    EXPECT_TRUE(program->strategy.iterative);
    EXPECT_TRUE(program->strategy.decidepos);
    EXPECT_FALSE(program->strategy.before_tree);
    EXPECT_EQ(program->extent.sizetext, "3 2");
    EXPECT_EQ(program->extent.bounds, (std::vector<int>{3, 2}));
    EXPECT_EQ(program->extent.nfloatx, 2);
}

TEST_F(FileRequestTest, FailedOpeningLeavesNoAnalysisAndTheDataMenusGrey)
{
    ASSERT_EQ(open(cf), Flow::loop_head);
    // Good records first: a NUL at the file's start refuses it before any change.
    std::string bytes;
    for (int i = 0; i < 700; ++i) bytes += "  1  2\n";
    write("fixed.dat", bytes + std::string("  3\0 4\n", 7));
    const std::string fixed = write("fixed.mrc", "Fixed\na b\n*\na i 2\n*\n(2F3.0)\nfixed.dat\n");
    EXPECT_EQ(open(fixed, true), Flow::loop_head);
    EXPECT_FALSE(program->analysis);
    EXPECT_FALSE(program->log.is_open());
    for (int menu = 3; menu <= 8; ++menu) EXPECT_TRUE(grey(menu, 0)) << "menu " << menu;
    EXPECT_TRUE(grey(10, 2));
    EXPECT_TRUE(grey(2, 8));
    EXPECT_FALSE(grey(2, 0)); // the control file can still be edited
    EXPECT_EQ(program->opening.cfname, fixed);
}

TEST_F(FileRequestTest, CombinationsInTheControlFileAskForTheirAddedAttributes)
{
    const std::string combo =
        write("combo.mrc", "Combo\n*\nage i 20 50\nkyphosis b\n*\nfree comma\nkyphosis.csv\n+old  (2)(4)\n");
    program->options.fullred = false;
    program->options.primattr = true;
    ASSERT_EQ(open(combo), Flow::poll);
    EXPECT_TRUE(program->flags.qproc);
    EXPECT_TRUE(program->flags.paddatt);
    EXPECT_TRUE(program->analysis->added_from_cf);
    EXPECT_TRUE(program->options.fullred);
    EXPECT_FALSE(program->options.primattr);
    EXPECT_TRUE(program->reduction_saved);
    EXPECT_FALSE(program->saved_fullred);
    EXPECT_TRUE(program->saved_primattr);
}

TEST_F(FileRequestTest, EditMrcRunsTheEditorWithThePathAsOneArgumentThenRereads)
{
    // A folder name that a shell would split and run.
    const std::string odd = folder + "a b;touch INJECTED/";
    ASSERT_TRUE(io::change_folder(folder));
    ASSERT_EQ(std::system(("mkdir -p '" + odd + "'").c_str()), 0);
    folder = odd;
    write("kyphosis.csv", "age,number,start,kyphosis\n71,3,5,0\n158,3,14,0\n");
    cf = write("kyphosis.mrc", "Kyphosis\n*\nage i 20 50\n*\nfree comma\nkyphosis.csv\n");
    const std::string editor = dir.path().toStdString() + "/editor.sh";
    std::ofstream(editor) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$1\")/args\"\n"
                             "sed -i 's/^Kyphosis$/Edited/' \"$1\"\n";
    ASSERT_EQ(std::system(("chmod +x '" + editor + "'").c_str()), 0);
    setenv("VISUAL", editor.c_str(), 1);
    ASSERT_EQ(open(cf), Flow::loop_head);
    const mainloop::Analysis* before = program->analysis.get();

    // No: the file was edited but nothing is read again.
    answer("answer no\n");
    program->flags.qedit = program->flags.edcf = true;
    EXPECT_EQ(mainloop::edit_request(*program), Flow::loop_head);
    EXPECT_EQ(program->analysis.get(), before);
    std::ifstream args(folder + "args");
    std::string count, arg;
    std::getline(args, count);
    std::getline(args, arg);
    EXPECT_EQ(count, "1");
    EXPECT_EQ(arg, cf);
    EXPECT_FALSE(io::file_exists(dir.path().toStdString() + "/INJECTED"));

    // Yes: read again, without the file dialog, from the edited file.
    program->log.write(" A line of the first reading");
    answer("answer yes\ndismiss\n");
    EXPECT_EQ(mainloop::edit_request(*program), Flow::loop_head);
    unsetenv("VISUAL");
    ASSERT_TRUE(program->analysis);
    EXPECT_EQ(program->analysis->tables.title.rfind("Edited", 0), 0u);
    EXPECT_EQ(program->prefs.recent[0], cf);
    // The analysis goes on in its log: the first reading's lines stay, the new
    // opening follows them.
    const std::string text = log_text();
    const std::size_t kept = text.find(" A line of the first reading");
    ASSERT_NE(kept, std::string::npos);
    EXPECT_NE(text.find("%File:Open", kept), std::string::npos);
}

TEST_F(FileRequestTest, OnlyAnEditorThatIsWaitedForIsToldToBeExited)
{
    // A fake editor and a fake desktop opener, both found along PATH; the opener
    // hands the file on and returns, so nothing asks to exit it.
    const std::string bin = folder + "bin";
    std::filesystem::create_directory(bin);
    for (const char* name : {"myeditor", "xdg-open"}) {
        const std::string path = bin + "/" + name;
        std::ofstream(path) << "#!/bin/sh\nexit 0\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    unsetenv("EDITOR");
    const struct {
        const char* visual;
        const char* progress;
    } cases[] = {{"myeditor", "...running myeditor. Exit myeditor to continue"}, {nullptr, "...running xdg-open"}};
    for (const auto& c : cases) {
        if (c.visual) setenv("VISUAL", c.visual, 1);
        else unsetenv("VISUAL");
        frame.canvas(mainloop::kProgressUnit)->set_journaling(true);
        frame.canvas(mainloop::kProgressUnit)->clear_journal();
        EXPECT_TRUE(mainloop::editfile(*program, cf));
        EXPECT_EQ(progress_texts(), std::vector<std::string>{c.progress});
    }
    setenv("PATH", path.c_str(), 1);
}

TEST_F(FileRequestTest, EditorThatCannotBeFoundOrFailsIsNamedAndNoRereadIsAsked)
{
    ASSERT_EQ(open(cf), Flow::loop_head);
    const mainloop::Analysis* before = program->analysis.get();
    for (const char* editor : {"no-such-editor-anywhere", "false"}) {
        setenv("VISUAL", editor, 1);
        topics.clear();
        // The one box is the failure; a question after it would end the script.
        answer("answer ok\n");
        program->flags.qedit = program->flags.edcf = true;
        EXPECT_EQ(mainloop::edit_request(*program), Flow::loop_head) << editor;
        EXPECT_EQ(topics, (std::vector<std::string>{"ERROR: Notepad"}));
        EXPECT_EQ(program->analysis.get(), before);
    }
    unsetenv("VISUAL");
    EXPECT_EQ(ender.status, -1); // every box was answered, none left waiting
}

TEST_F(FileRequestTest, BootstrapToggleTwiceShowsItsNoteOnceAndEndsOff)
{
    ASSERT_EQ(open(cf), Flow::loop_head);
    topics.clear();
    program->flags.qedit = program->flags.eboot = true;
    mainloop::edit_request(*program);
    EXPECT_TRUE(program->bootmode);
    EXPECT_EQ(program->menus.text(2, 9), "Un-bootstrap sample");
    EXPECT_TRUE(grey(8, 0));
    EXPECT_TRUE(grey(5, 0));
    mainloop::edit_request(*program);
    EXPECT_FALSE(program->bootmode);
    EXPECT_EQ(program->menus.text(2, 9), "Bootstrap sample");
    EXPECT_FALSE(grey(8, 0));
    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: Bootstrap sample"}));
    program->log.flush();
    std::ifstream in(program->log.path());
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto on = all.find("%Edit:Bootstrap sample");
    const auto off = all.find("%Edit:Un-Bootstrap sample");
    EXPECT_NE(on, std::string::npos);
    EXPECT_NE(off, std::string::npos);
    EXPECT_LT(on, off);
}

TEST_F(FileRequestTest, BootstrapStaysGreyWithoutDataAndStopsInByGroupMode)
{
    // Without data Edit item 9 is grey, so Process (Create added attribute) stays.
    write("empty.csv", "");
    answer("file " + write("empty.mrc", "Empty\na b\n*\na i 2\n*\nfree comma\nempty.csv\n") +
           "\nanswer ok\ndismiss\n");
    program->flags.qfile = program->flags.fopen = true;
    ASSERT_EQ(mainloop::file_request(*program), Flow::loop_head);
    program->flags.qfile = program->flags.fopen = false;
    ASSERT_TRUE(program->analysis && program->analysis->nodata);
    EXPECT_TRUE(grey(2, 9));
    EXPECT_FALSE(grey(8, 0));
    EXPECT_FALSE(grey(8, 9));
    // With data it is offered; in by-group mode it shows its note and changes nothing.
    ASSERT_EQ(open(cf, true), Flow::loop_head);
    EXPECT_FALSE(grey(2, 9));
    program->analysis->bygroup.mode = true;
    topics.clear();
    program->flags.qedit = program->flags.eboot = true;
    mainloop::edit_request(*program);
    EXPECT_EQ(topics, (std::vector<std::string>{"NOTE: bootstrap sample with by group"}));
    EXPECT_FALSE(program->bootmode);
    EXPECT_EQ(program->menus.text(2, 9), "Bootstrap sample");
    EXPECT_FALSE(grey(8, 0));
}

TEST_F(FileRequestTest, TheTrainingTestSwitchLogsItsMessageOutsideASearchAndRenamesItsItem)
{
    auto& a = open_split();
    mainloop::test_switch(*program);
    EXPECT_EQ(program->menus.text(8, 8), "Switch to Training sample");
    EXPECT_EQ(a.data.obswt, (std::vector<int>{0, 1, 0, 1}));
    EXPECT_NE(log_text().find("\nAnalysis is now on the test sample\n"), std::string::npos);
    program->flags.sgo = true; // under Search:Go! the line is left out
    mainloop::test_switch(*program);
    program->flags.sgo = false;
    EXPECT_EQ(program->menus.text(8, 8), "Switch to Test sample");
    EXPECT_EQ(a.data.obswt, (std::vector<int>{1, 0, 1, 0}));
    EXPECT_EQ(log_text().find("Analysis is now on the training sample"), std::string::npos);
}

TEST_F(FileRequestTest, AnOpeningStartsWithoutXConstraintsCensoringOrSplit)
{
    ASSERT_EQ(open(cf), Flow::loop_head);
    auto& a = *program->analysis;
    a.xspace = {true, 2, 2, 1, {"age>20"}};
    a.xmask[1] = 0;
    a.splitactive = true;
    program->strategy.constrainx = true;
    program->censoring.in_force = true;
    program->incidence = true;
    program->edit.nswitch = 1;
    program->edit.testflag = true;
    // A search's results and the current partition name the old analysis's attributes.
    partition::TermList list;
    list.add_term({2});
    program->results.bestlist.offer(1, 4.0f, 1, list);
    program->results.top10.offer(1, 4.0f, 0.0, 1, list);
    program->process.current_valid = true;
    ASSERT_EQ(open(cf, true), Flow::loop_head);
    EXPECT_EQ(program->results.bestlist.count(), 0);
    EXPECT_EQ(program->results.top10.count(), 0);
    EXPECT_FALSE(program->process.current_valid);
    const auto& b = *program->analysis;
    EXPECT_FALSE(b.xspace.xspaceon);
    EXPECT_EQ(b.xspace.nxcon, 0);
    EXPECT_EQ(b.xspace.xconline, 0);
    EXPECT_TRUE(b.xspace.xconlist.empty());
    EXPECT_EQ(b.xmask[1], 1);
    EXPECT_FALSE(b.splitactive);
    EXPECT_FALSE(program->strategy.constrainx);
    EXPECT_FALSE(program->censoring.in_force || program->incidence || program->edit.testflag);
}

TEST_F(FileRequestTest, BootstrapMergesASplitAndUndoingItRestoresTheWeights)
{
    auto& a = open_split();
    program->flags.qedit = program->flags.eboot = true;
    mainloop::edit_request(*program);
    EXPECT_FALSE(a.splitactive);
    EXPECT_EQ(a.data.obswt, (std::vector<int>{1, 1, 1, 1}));
    EXPECT_EQ(a.data.testwt, (std::vector<int>{0, 0, 0, 0}));
    EXPECT_TRUE(grey(8, 8));
    a.data.obswt[3] = 0; // as the reader leaves an unusable record
    program->dispatch.bootstrap_draw(*program);
    EXPECT_EQ(a.data.obswt[0] + a.data.obswt[1] + a.data.obswt[2] + a.data.obswt[3], 4);
    mainloop::edit_request(*program);
    EXPECT_FALSE(program->bootmode);
    EXPECT_EQ(a.data.obswt, (std::vector<int>{1, 1, 1, 0}));
}

TEST_F(FileRequestTest, LiftingXConstraintsRestoresTheCountReadNotTheYMenus)
{
    ASSERT_EQ(open(cf), Flow::loop_head);
    auto& a = *program->analysis;
    a.outcome.ny = 1;
    a.ymat.assign(5 * 4, 0.0f);
    for (int i = 1; i <= 4; ++i) a.ymat[static_cast<std::size_t>(i - 1)] = a.data.x(i, 1); // age as Y
    auto owned = std::make_unique<ScriptedForms>();
    owned->steps = {[](settings::Form& f) {
        f.choice[settings::picker_ids::kList] = f.items[settings::picker_ids::kList][1]; // "*age>20"
        return settings::kOk;
    }};
    program->forms = std::move(owned);
    program->strategy.constrainx = true;
    program->dispatch.xconstr(*program);
    EXPECT_EQ(a.nobs, 3); // ages 71, 158 and 128
    EXPECT_EQ(a.outcome.ymin[0], 71.0f);
    a.nobsin = 1; // as a Y-menu count leaves it
    program->strategy.constrainx = false;
    program->dispatch.xconstr(*program);
    EXPECT_EQ(a.nobs, 4);
    EXPECT_EQ(a.outcome.ymin[0], 2.0f);
    EXPECT_EQ(a.outcome.ymax[0], 158.0f);
    program->log.flush();
    std::ifstream in(program->log.path());
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("\n Constrain X space lifted\n"), std::string::npos);
}

TEST(SampleSwitch, TwoSwitchesRestoreTheSamples)
{
    std::vector<int> a{1, 0, 2}, b{0, 3, 0};
    int count = 0;
    bool test = false;
    auto s = mainloop::sampswitch(count, a, b, test);
    EXPECT_TRUE(test);
    EXPECT_EQ(s.message, "Analysis is now on the test sample");
    EXPECT_EQ(s.item_text, "Switch to Training sample");
    EXPECT_EQ(a, (std::vector<int>{0, 3, 0}));
    s = mainloop::sampswitch(count, a, b, test);
    EXPECT_FALSE(test);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(s.message, "Analysis is now on the training sample");
    EXPECT_EQ(s.item_text, "Switch to Test sample");
    EXPECT_EQ(a, (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(b, (std::vector<int>{0, 3, 0}));
}

} // namespace
} // namespace meru::test
