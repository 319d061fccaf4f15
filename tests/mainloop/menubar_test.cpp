// The menu bar: every menu and item with its text and state as a new program
// shows them, the flags each routine raises, and the routines that act at once.
#include "program_fixture.h"

#include "platform/menus.h"
#include "ui/ui_fixture.h"

#include <csignal>

namespace meru::test {
namespace {

using mainloop::MenuFlags;

struct Expected {
    int menu;
    int item;
    const char* text;
    char state; // 'E' enabled, 'G' grey, 'S' separator
};

// Written from the menu bar's description, item 0 the title.
const Expected kBar[] = {
    {1, 0, "File", 'E'},
    {1, 1, "Open", 'E'},
    {1, 2, "New", 'E'},
    {1, 3, "", 'S'},
    {1, 4, "Save As", 'E'},
    {1, 5, "Print", 'E'},
    {1, 6, "", 'S'},
    {1, 7, "E&xit", 'E'},
    {2, 0, "Edit", 'G'},
    {2, 1, "Edit .MRC file", 'E'},
    {2, 2, "Edit file", 'E'},
    {2, 3, "", 'S'},
    {2, 4, "Select &Graphic", 'G'},
    {2, 5, "Select &All", 'G'},
    {2, 6, "Copy", 'G'},
    {2, 7, "", 'S'},
    {2, 8, "S&plit sample", 'G'},
    {2, 9, "Bootstrap sample", 'G'},
    {3, 0, "Y", 'G'},
    {3, 1, "OK", 'G'},
    {3, 2, "", 'S'},
    {3, 3, "&Distribution", 'G'},
    {3, 4, "Scatter&plot/Cross-tab", 'G'},
    {3, 5, "Transform", 'G'},
    {3, 6, "Select &Y", 'G'},
    {3, 7, "", 'S'},
    {3, 8, "&By group/cross-validate", 'G'},
    {4, 0, "Criteria", 'G'},
    {5, 0, "Rank", 'G'},
    {5, 1, "A&ttribute Rank Plot", 'G'},
    {5, 2, "F&ix Positi&ve attributes", 'G'},
    {5, 3, "E&ffectiveness v Cuts plot", 'G'},
    {5, 4, "R&OC curves", 'G'},
    {5, 5, "Q&ROC curves", 'G'},
    {6, 0, "S&trategy", 'G'},
    {7, 0, "&Search", 'G'},
    {7, 1, "&Go!", 'G'},
    {7, 2, "&End", 'G'},
    {8, 0, "Process", 'G'},
    {8, 1, "Rectangle diagrams", 'G'},
    {8, 2, "Lists", 'G'},
    {8, 3, "Distribution A v. A-", 'G'},
    {8, 4, "Statistics", 'G'},
    {8, 5, "Random", 'G'},
    {8, 6, "Tree ", 'G'},
    {8, 7, "", 'S'},
    {8, 8, "Switch to test s&ample", 'G'},
    {8, 9, "Create added attribute", 'G'},
    {9, 0, "Options", 'E'},
    {10, 0, "View", 'E'},
    {10, 1, "Output", 'E'},
    {10, 2, "Data", 'E'},
    {10, 3, ".MRC file", 'E'},
    {10, 4, "Other files", 'E'},
    {10, 5, "", 'S'},
    {10, 6, "Added attributes", 'G'},
    {11, 0, "Window", 'E'},
    {11, 1, "Cascade", 'E'},
    {11, 2, "Tile", 'E'},
    {11, 3, "", 'S'},
    {12, 0, "Help", 'E'},
    {12, 1, "About MERU", 'E'},
    {12, 2, "Topics", 'E'},
    {12, 3, "Website", 'E'},
    {12, 4, "Manual", 'E'},
    {12, 5, "FAQs", 'E'},
    {12, 6, "Tip of the Day", 'E'},
};

TEST_F(ProgramTest, TwelveMenusWithEveryItemTextAndState)
{
    auto& menus = program->menus;
    ASSERT_EQ(menus.count(), 12);
    const int items[13] = {0, 7, 9, 8, 0, 5, 0, 2, 9, 0, 6, 3, 6};
    for (int m = 1; m <= 12; ++m) EXPECT_EQ(menus.item_count(m), items[m]) << "menu " << m;
    for (const Expected& e : kBar) {
        SCOPED_TRACE("menu " + std::to_string(e.menu) + " item " + std::to_string(e.item));
        if (e.state == 'S') {
            std::string why;
            EXPECT_FALSE(menus.choose(menus.handle(e.menu, e.item), why));
            continue;
        }
        EXPECT_EQ(menus.text(e.menu, e.item), e.text);
        EXPECT_EQ(menus.enabled(e.menu, e.item), e.state == 'E');
    }
}

TEST_F(ProgramTest, BeforeAnAnalysisOnlyFileOptionsViewWindowAndHelpAreUsable)
{
    std::vector<int> usable;
    for (int m = 1; m <= 12; ++m)
        if (program->menus.usable(m, 0)) usable.push_back(m);
    EXPECT_EQ(usable, (std::vector<int>{1, 9, 10, 11, 12}));
    std::string why;
    EXPECT_FALSE(program->menus.choose(program->menus.find("Criteria", ""), why));
    EXPECT_FALSE(program->flags.qcrit);
}

TEST_F(ProgramTest, GreyMenusStayGreyAfterAGraphicsWindowGivesTheMenusBack)
{
    auto& menus = program->menus;
    menus.set_flags(mainloop::kRankMenu, 0, platform::kMenuEnabled); // as an opening would
    menus.menu_off();
    for (int m = 3; m <= 12; ++m) EXPECT_FALSE(menus.usable(m, 0)) << m;
    menus.menu_on();
    EXPECT_TRUE(menus.usable(mainloop::kRankMenu, 0));
    for (int m : {2, 3, 4, 6, 7, 8}) EXPECT_FALSE(menus.usable(m, 0)) << "menu " << m << " was grey before";
    for (int m : {9, 10, 11, 12}) EXPECT_TRUE(menus.usable(m, 0)) << m;
}

// Enables every menu and item so that each routine can be chosen.
void enable_all(platform::Menus& menus)
{
    for (int m = 1; m <= 12; ++m)
        for (int i = 0; i <= menus.item_count(m); ++i) menus.set_flags(m, i, platform::kMenuEnabled);
}

struct Raise {
    const char* title;
    const char* item;
    std::vector<bool MenuFlags::*> raised;
};

TEST_F(ProgramTest, EachItemRaisesItsGroupAndItemFlags)
{
    enable_all(program->menus);
    using F = MenuFlags;
    const Raise cases[] = {
        {"File", "Open", {&F::qfile, &F::fopen}},
        {"File", "New", {&F::qfile, &F::fnew}},
        {"Edit", "Edit .MRC file", {&F::qedit, &F::edcf}},
        {"Edit", "Edit file", {&F::qedit, &F::edfile}},
        {"Edit", "Split sample", {&F::qedit, &F::esplit}},
        {"Edit", "Bootstrap sample", {&F::qedit, &F::eboot}},
        {"Y", "OK", {&F::qy, &F::yok}},
        {"Y", "Distribution", {&F::qy, &F::ydist}},
        {"Y", "Scatterplot/Cross-tab", {&F::qy, &F::yscat}},
        {"Y", "Transform", {&F::qy, &F::ytrans}},
        {"Y", "Select Y", {&F::qy, &F::ysel}},
        {"Y", "By group/cross-validate", {&F::qy, &F::ybygrp}},
        {"Criteria", "", {&F::qcrit}},
        {"Rank", "Attribute Rank Plot", {&F::qrank, &F::rrankplot}},
        {"Rank", "Fix Positive attributes", {&F::qrank, &F::rfixpos}},
        {"Rank", "Effectiveness v Cuts plot", {&F::qrank, &F::reffcuts}},
        {"Rank", "ROC curves", {&F::qrank, &F::rroc}},
        {"Rank", "QROC curves", {&F::qrank, &F::rqroc}},
        {"Strategy", "", {&F::strat}},
        {"Process", "Rectangle diagrams", {&F::qproc, &F::prect}},
        {"Process", "Lists", {&F::qproc, &F::plists}},
        {"Process", "Distribution A v. A-", {&F::qproc, &F::pdistab}},
        {"Process", "Statistics", {&F::qproc, &F::pstats}},
        {"Process", "Random", {&F::qproc, &F::prandom}},
        {"Process", "Tree", {&F::qproc, &F::ptree}},
        {"Process", "Switch to test sample", {&F::qproc, &F::ptest}},
        {"Process", "Create added attribute", {&F::qproc, &F::paddatt}},
        {"Options", "", {&F::qopt}},
        {"View", "Output", {&F::qview, &F::vlog}},
        {"View", "Data", {&F::qview, &F::vdata}},
        {"View", ".MRC file", {&F::qview, &F::vcf}},
        {"View", "Other files", {&F::qview, &F::vother}},
        {"View", "Added attributes", {&F::qproc, &F::vaddatt}},
        {"Help", "About MERU", {&F::qhelp, &F::habout}},
        {"Help", "Topics", {&F::qhelp, &F::htopics}},
        {"Help", "Website", {&F::qhelp, &F::hweb}},
        {"Help", "Manual", {&F::qhelp, &F::hmanual, &F::hweb}},
        {"Help", "FAQs", {&F::qhelp, &F::hfaq, &F::hweb}},
    };
    // Every boolean member of the block, to see that nothing else moves.
    const std::vector<bool F::*> all = {
        &F::qfile,    &F::qedit,   &F::qy,        &F::qcrit,          &F::qrank,    &F::strat,     &F::qext,
        &F::qcont,    &F::qproc,   &F::qview,     &F::qopt,           &F::qhelp,    &F::fopen,     &F::fnew,
        &F::edcf,     &F::edfile,  &F::esplit,    &F::eboot,          &F::yok,      &F::ydist,     &F::yscat,
        &F::ysel,     &F::ybygrp,  &F::ytrans,    &F::searchend,      &F::prect,    &F::plists,    &F::pdistab,
        &F::pstats,   &F::prandom, &F::ptree,     &F::ptest,          &F::paddatt,  &F::vaddatt,   &F::habout,
        &F::hfaq,     &F::hmanual, &F::htopics,   &F::hweb,           &F::vlog,     &F::vdata,     &F::vcf,
        &F::vother,   &F::sgo,     &F::searching, &F::nontree_search, &F::treemade, &F::rrankplot, &F::rfixpos,
        &F::reffcuts, &F::rroc,    &F::rqroc};
    for (const Raise& c : cases) {
        SCOPED_TRACE(std::string(c.title) + " > " + c.item);
        program->flags = MenuFlags{};
        choose(c.title, c.item);
        for (auto member : all) {
            const bool want = std::find(c.raised.begin(), c.raised.end(), member) != c.raised.end();
            EXPECT_EQ(program->flags.*member, want);
        }
    }
}

TEST_F(ProgramTest, SampleItemsLowerEachOtherAndHelpItemsLowerTheOthers)
{
    enable_all(program->menus);
    choose("Edit", "Split sample");
    choose("Edit", "Bootstrap sample");
    EXPECT_TRUE(program->flags.eboot);
    EXPECT_FALSE(program->flags.esplit);
    choose("Edit", "Split sample");
    EXPECT_TRUE(program->flags.esplit);
    EXPECT_FALSE(program->flags.eboot);

    choose("Help", "Website");
    choose("Help", "Manual");
    EXPECT_TRUE(program->flags.hmanual);
    EXPECT_TRUE(program->flags.hweb); // raised again by Manual
    choose("Help", "FAQs");
    EXPECT_TRUE(program->flags.hfaq);
    EXPECT_FALSE(program->flags.hmanual);
    choose("Help", "About MERU");
    EXPECT_TRUE(program->flags.habout);
    EXPECT_FALSE(program->flags.hfaq || program->flags.hweb || program->flags.hmanual || program->flags.htopics);
}

TEST_F(ProgramTest, GoCountsSearchesWritesHeadingsAndSwapsGoAndEnd)
{
    auto& menus = program->menus;
    enable_all(menus);
    program->flags.rroc = true;
    program->flags.treemade = true;
    choose("Search", "Go!");
    const MenuFlags& f = program->flags;
    EXPECT_EQ(f.nsearch, 1);
    EXPECT_TRUE(f.sgo && f.qcrit && f.searching && f.qrank && f.rfixpos && f.nontree_search);
    EXPECT_FALSE(f.rroc || f.treemade);
    EXPECT_FALSE(menus.enabled(mainloop::kSearchMenu, 1));
    EXPECT_TRUE(menus.enabled(mainloop::kSearchMenu, 2));

    // Chosen again (let go and enabled by hand here, as the loop head does): the
    // second heading.
    menus.let_go();
    menus.set_flags(mainloop::kSearchMenu, 1, platform::kMenuEnabled);
    program->strategy.treemode = true;
    program->flags.nontree_search = false;
    choose("Search", "Go!");
    EXPECT_EQ(f.nsearch, 2);
    EXPECT_FALSE(f.nontree_search); // not raised in tree mode

    std::vector<std::string> headings;
    for (const auto& l : log_lines())
        if (l.rfind("%Search", 0) == 0) headings.push_back(l);
    EXPECT_EQ(headings, (std::vector<std::string>{"%Search:Go! Search no.    1", "%Search:Go! Search no.    2"}));
}

TEST_F(ProgramTest, EndRequestsTheStopAndStatisticsSwapGoAndEnd)
{
    auto& menus = program->menus;
    enable_all(menus);
    choose("Search", "End");
    EXPECT_TRUE(program->flags.searchend);
    EXPECT_FALSE(program->flags.scontinue);
    EXPECT_TRUE(program->services.search_end()); // what the computing core polls

    for (const char* item : {"Statistics", "Random"}) {
        menus.set_flags(mainloop::kSearchMenu, 1, platform::kMenuEnabled);
        menus.set_flags(mainloop::kSearchMenu, 2, platform::kMenuGrey);
        choose("Process", item);
        EXPECT_FALSE(menus.enabled(mainloop::kSearchMenu, 1)) << item;
        EXPECT_TRUE(menus.enabled(mainloop::kSearchMenu, 2)) << item;
    }
}

TEST_F(ProgramTest, ProcessTreeSaysItRecreatesTheDiagram)
{
    enable_all(program->menus);
    frame.canvas(mainloop::kProgressUnit)->set_journaling(true);
    choose("Process", "Tree");
    EXPECT_EQ(progress_texts(), (std::vector<std::string>{"...recreating tree diagram"}));
}

TEST_F(ProgramTest, ExitWithoutAnAnalysisEndsAtOnceWithoutALogLine)
{
    choose("File", "Exit");
    EXPECT_EQ(exits, (std::vector<int>{0}));
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(ProgramTest, ExitWithAnAnalysisAsksAndLogsTheExit)
{
    program->analysis = std::make_unique<mainloop::Analysis>();
    program->analysis->logname = "HEART.LOG";
    {
        ModalAnswerer answers({"No"});
        choose("File", "Exit");
        ASSERT_EQ(answers.shown.size(), 1u);
        EXPECT_NE(answers.shown[0].text.find("Exit will terminate saving only .log file HEART.LOG"),
                  std::string::npos)
            << answers.shown[0].text;
    }
    EXPECT_TRUE(exits.empty());
    EXPECT_TRUE(log_lines().empty());
    {
        ModalAnswerer answers({"Yes"});
        choose("File", "Exit");
    }
    EXPECT_EQ(exits, (std::vector<int>{0}));
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"User File:Exit of MERU"}));
}

// A stop by a signal ends the run without the question; with an analysis open
// the log says so, and that a search was cut short; a full disk shows no box.
TEST_F(ProgramTest, AStopBySignalIsSaidInTheLog)
{
    mainloop::stop_by_signal(*program, SIGTERM);
    program->analysis = std::make_unique<mainloop::Analysis>();
    mainloop::stop_by_signal(*program, SIGHUP);
    program->flags.searching = true;
    mainloop::stop_by_signal(*program, SIGINT);
    EXPECT_EQ(exits, (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"Signal SIGHUP:Stop of MERU",
                                                     "Signal SIGINT:Stop of MERU; search cut short"}));

    ModalAnswerer answers({"OK"});
    ASSERT_EQ(program->log.create("/dev/full"), 0);
    mainloop::stop_by_signal(*program, SIGTERM);
    EXPECT_TRUE(answers.shown.empty());
}

} // namespace
} // namespace meru::test
