// The help display on the real dialogs: a topic's text, a topic without help, read
// errors and missing templates, the tip of the day and the Help Topics list.
#include "help_fixture.h"
#include "platform/io/random.h"
#include "ui/help.h"
#include "ui/listsel.h"
#include "ui/messages.h"
#include "ui/qt_services.h"
#include "ui_fixture.h"

#include <QListWidget>

using namespace meru;
using meru::test::HelpFiles;
using meru::test::key_line;
using meru::test::UiTest;

namespace {

std::string dashes() { return std::string(ui::kHelpEndLine); }

// What a modal showed: caption, message-box text, list items in their shown order.
struct Seen {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<std::string> items;
};

// Answers each modal that opens: selects the list item `select` (when given) and
// clicks the button `press` ("Esc" rejects).
struct Step {
    Step(const char* p, std::string s = {}) : press(p), select(std::move(s)) {}
    std::string press;
    std::string select;
};

class HelpAnswerer {
public:
    explicit HelpAnswerer(std::vector<Step> steps) : steps_(steps.begin(), steps.end())
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    std::vector<Seen> seen;
    bool done() const { return steps_.empty(); }

private:
    void poll()
    {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dlg || dlg == last_.data() || !dlg->isVisible() || steps_.empty()) return;
        last_ = dlg;
        const Step step = steps_.front();
        steps_.pop_front();
        Seen s;
        s.caption = dlg->windowTitle().toStdString();
        if (auto* box = qobject_cast<QMessageBox*>(dlg)) {
            s.text = box->text().toStdString();
            s.icon = box->icon();
        }
        for (auto* list : dlg->findChildren<QListWidget*>())
            for (int i = 0; i < list->count(); ++i) {
                s.items.push_back(list->item(i)->text().toStdString());
                if (!step.select.empty() && list->item(i)->text().trimmed().toStdString() == step.select)
                    list->item(i)->setSelected(true);
            }
        seen.push_back(s);
        for (auto* b : dlg->findChildren<QAbstractButton*>())
            if (b->text().remove('&').toStdString() == step.press) {
                b->click();
                return;
            }
        dlg->reject();
    }

    std::deque<Step> steps_;
    QTimer timer_;
    QPointer<QDialog> last_;
};

class HelpTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ASSERT_NE(dialogs.find(ui::kDialogHelp), nullptr);
        files.write({key_line(1, "M E R U"), key_line(5, "NOTE: No Y"), key_line(7, "Help:Strategy dialog"),
                     key_line(0, "NOTE: broken"), key_line(9, "Criteria"), key_line(11, "note on weights"),
                     key_line(13, "Help: Criteria")},
                    {"MERU searches Boolean partitions.", "", "Version 1", dashes(), // 1-4
                     "Choose a Y first.", dashes(),                                  // 5-6
                     "The strategy dialog.", dashes(),                               // 7-8
                     "Criteria text.", dashes(),                                     // 9-10
                     "Weights text.", dashes(),                                      // 11-12
                     "Criteria dialog text.", dashes()});                            // 13-14
        ui::install_help(ctx, help);
    }

    HelpFiles files{units};
    ui::Selections selections;
    ui::HelpState help{files.units, selections};
};

} // namespace

TEST_F(HelpTest, TopicShownInTheHelpDialogAndItsIndexNameLoggedOnOk)
{
    HelpAnswerer answer({{"OK"}, {"OK"}, {"Esc"}});
    ui::helpshow(ctx, help, "M E R U");
    // Found by containment: the index's name, not the caller's text, is logged.
    ui::helpshow(ctx, "Strategy dialog");
    // Escape closes without a log line.
    ui::helpshow(ctx, "NOTE: No Y");
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[0].caption, "MERU");
    ASSERT_EQ(answer.seen[0].items.size(), 3u);
    EXPECT_EQ(answer.seen[0].items[0], "  " + ui::fixed_width("MERU searches Boolean partitions.", 75));
    EXPECT_EQ(answer.seen[0].items[1], std::string(77, ' '));
    EXPECT_EQ(answer.seen[1].items, std::vector<std::string>{"  " + ui::fixed_width("The strategy dialog.", 75)});
    EXPECT_EQ(answer.seen[2].items.size(), 1u);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"M E R U", "Help:Strategy dialog"}));

    // With no log open nothing is written.
    log.close();
    HelpAnswerer again({Step("OK")});
    ui::helpshow(ctx, "M E R U");
    EXPECT_EQ(again.seen.size(), 1u);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"M E R U", "Help:Strategy dialog"}));
}

TEST_F(HelpTest, TopicWithoutHelpGivesTheNoHelpBoxAndNoLogLine)
{
    HelpAnswerer answer({{"OK"}, {"OK"}});
    ui::helpshow(ctx, help, "Extent dialog");
    // The core's services reach the same display.
    bool search_end = false;
    ui::QtServices services(ctx, search_end);
    services.helpshow("NOTE: No Extent");
    ASSERT_EQ(answer.seen.size(), 2u);
    EXPECT_EQ(answer.seen[0].caption, "No help ");
    EXPECT_EQ(answer.seen[0].text, "No HELP available on: " + ui::fixed_width("Extent dialog", 40) + " ");
    EXPECT_EQ(answer.seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(answer.seen[1].text, "No HELP available on: " + ui::fixed_width("NOTE: No Extent", 40) + " ");
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(HelpTest, ReadErrorsAndMissingTemplatesAreLogged)
{
    // "NOTE: broken" names record 0: a read error, no dialog.
    HelpAnswerer answer({Step("OK")});
    ui::helpshow(ctx, help, "NOTE: broken");
    bool next = true;
    ui::tipshow(ctx, help, "NOTE: broken", next);
    EXPECT_FALSE(next);
    EXPECT_TRUE(answer.seen.empty());

    platform::DialogLibrary none;
    ui::Context bare{frame, menus, ctx.host, none, log, MERU_RUNTIME_DIR, {}, {}, {}, {}};
    ui::helpshow(bare, help, "M E R U");
    next = true;
    ui::tipshow(bare, help, "M E R U", next);
    EXPECT_FALSE(next);
    ui::helptopics(bare, help, false);
    EXPECT_TRUE(answer.seen.empty());
    EXPECT_EQ(log_lines(), (std::vector<std::string>{
                               " Error reading help file meruhlp.txt error= 5",
                               " Error reading help file meruhlp.txt error= 5", "Error: dialoghelp  box  not found",
                               "Error: dialoghelptip  box  not found", "Error: dialog box 31 not found"}));
}

TEST_F(HelpTest, TipsGoOnUntilOkAndEscapeCountsAsNextTip)
{
    HelpAnswerer answer({{"Next Tip"}, {"Esc"}, {"Next Tip"}, {"OK"}, {"OK"}});
    ui::helptopics(ctx, help, true);
    ASSERT_EQ(answer.seen.size(), 4u);
    const std::vector<std::vector<std::string>> texts = {
        {"  " + ui::fixed_width("MERU searches Boolean partitions.", 75), std::string(77, ' '),
         "  " + ui::fixed_width("Version 1", 75)},
        {"  " + ui::fixed_width("Criteria text.", 75)},
        {"  " + ui::fixed_width("Weights text.", 75)}};
    for (const auto& s : answer.seen) {
        EXPECT_EQ(s.caption, "Tip of the Day Topic");
        // Only listable topics are drawn.
        EXPECT_NE(std::find(texts.begin(), texts.end(), s.items), texts.end());
    }
    EXPECT_TRUE(log_lines().empty());
}

TEST_F(HelpTest, OneListableTopicIsTheTipEveryTime)
{
    files.write({key_line(1, "NOTE: No Y"), key_line(1, "Only tip"), key_line(1, "Help:Only tip")},
                {"The only tip.", dashes()});
    HelpAnswerer answer({{"Next Tip"}, {"Next Tip"}, {"OK"}});
    ui::helptopics(ctx, help, true);
    ASSERT_EQ(answer.seen.size(), 3u);
    for (const auto& s : answer.seen)
        EXPECT_EQ(s.items, std::vector<std::string>{"  " + ui::fixed_width("The only tip.", 75)});
}

TEST_F(HelpTest, NoListableTopicGivesOneBoxInsteadOfTips)
{
    files.write({key_line(1, "NOTE: No Y")}, {"Choose a Y.", dashes()});
    HelpAnswerer answer({{"OK"}, {"OK"}});
    ui::helptopics(ctx, help, true);
    ASSERT_EQ(answer.seen.size(), 1u);
    EXPECT_EQ(answer.seen[0].caption, "No help ");
}

TEST_F(HelpTest, TopicsListShowsListableTopicsAndGetShowsTheChosenOne)
{
    HelpAnswerer answer({{"Get", "Criteria"}, {"OK"}, {"Quit"}});
    ui::helptopics(ctx, help, false);
    ASSERT_EQ(answer.seen.size(), 3u);
    EXPECT_EQ(answer.seen[0].caption, "Help Topics");
    auto items = answer.seen[0].items;
    for (auto& i : items) i = i.substr(0, i.find_last_not_of(' ') + 1);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string>{"Criteria", "M E R U", "note on weights"}));
    EXPECT_EQ(answer.seen[1].caption, "MERU");
    EXPECT_EQ(answer.seen[1].items, std::vector<std::string>{"  " + ui::fixed_width("Criteria text.", 75)});
    EXPECT_EQ(answer.seen[2].caption, "Help Topics");
    EXPECT_EQ(log_lines(), std::vector<std::string>{"Criteria"});
    EXPECT_EQ(selections.seltext, ui::fixed_width("Criteria", 50));
}

TEST_F(HelpTest, ClickingATextLineKeepsTheTopicsSelectionForTheNextGet)
{
    HelpAnswerer answer({{"Get", "Criteria"}, {"OK", "Criteria text."}, {"Get"}, {"OK"}, {"Quit"}});
    ui::helptopics(ctx, help, false);
    ASSERT_EQ(answer.seen.size(), 5u);
    EXPECT_EQ(answer.seen[3].caption, "MERU");
    EXPECT_EQ(answer.seen[3].items, std::vector<std::string>{"  " + ui::fixed_width("Criteria text.", 75)});
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"Criteria", "Criteria"}));
}

TEST_F(HelpTest, ScriptedRunAnswersTheHelpDialogs)
{
    test::EndRecorder host;
    auto script = test::make_script("dialog MERU\n  press OK\ndialog *\n  press Next Tip\ndialog *\n"
                                    "  press esc\nanswer ok\nanswer ok\n",
                                    host);
    ctx.host.script = script.get();
    ui::helpshow(ctx, help, "Criteria");
    ui::helptopics(ctx, help, true);
    ui::helpshow(ctx, help, "M E R U");
    EXPECT_EQ(host.status, -1);
    EXPECT_EQ(script->position(), 5u);
    EXPECT_EQ(log_lines(), (std::vector<std::string>{"Criteria", "M E R U"}));
}
