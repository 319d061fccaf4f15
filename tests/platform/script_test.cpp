// Scripted runs: the script's format, and each wait point answered or refused
// (menus at the idle poll, dialogs, message boxes, questions, the file dialog,
// window polls), with the run's end statuses 0 and 3.
#include "dialog_fixture.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/script.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using namespace meru::platform;
using meru::test::fill_lists;
using meru::test::test_dialogs;

namespace {

class FakeHost : public ScriptHost {
public:
    std::vector<std::string> calls;
    int status = -1;
    std::string message;
    bool refuse_menu = false;
    bool pending = false;

    bool choose_menu(std::string_view title, std::string_view item, std::string& why) override
    {
        calls.push_back("menu " + std::string(title) + "|" + std::string(item));
        if (refuse_menu) why = "menu item is greyed";
        return !refuse_menu;
    }
    bool click(std::string_view window, int x, int y, bool right, std::string&) override
    {
        calls.push_back("click " + std::string(window) + " " + std::to_string(x) + " " + std::to_string(y) +
                        (right ? " right" : ""));
        return true;
    }
    bool key(std::string_view window, const std::vector<int>& codes, std::string&) override
    {
        std::string s = "key " + std::string(window);
        for (int c : codes) s += " " + std::to_string(c);
        calls.push_back(s);
        return true;
    }
    bool input_pending() const override { return pending; }
    bool shot(std::string_view target, const std::string& file, std::string&) override
    {
        calls.push_back("shot " + std::string(target) + " " + file);
        return true;
    }
    void pump(int ms) override { calls.push_back("pump " + std::to_string(ms)); }
    void end_run(int s, const std::string& m) override
    {
        status = s;
        message = m;
    }
};

struct ScriptRun {
    FakeHost host;
    std::unique_ptr<Script> script;
    explicit ScriptRun(const std::string& text)
    {
        auto parsed = parse_script(text);
        EXPECT_TRUE(parsed.errors.empty()) << (parsed.errors.empty() ? "" : parsed.errors.front());
        script = std::make_unique<Script>(std::move(parsed.actions), host);
    }
    ModalHost modal() { return {nullptr, script.get()}; }
};

} // namespace

TEST(ScriptParseTest, EveryActionWithItsParts)
{
    auto p = parse_script(R"(# comment
menu File > Open
menu Criteria
file /tmp/a b.mrc
file cancel
answer Yes
dialog "Extent Parameters"
  set Size p_1,..,p_q = 3 4
  set 1002 = "AGE", SEX
  press OK
click Scatter plot 100 50 right
key 19 PgDn
key 19 q
dismiss
wait 250
shot frame out.png
memory
exit
)");
    ASSERT_TRUE(p.errors.empty()) << p.errors.front();
    ASSERT_EQ(p.actions.size(), 14u);
    using K = ScriptAction::Kind;
    EXPECT_EQ(p.actions[0].kind, K::Menu);
    EXPECT_EQ(p.actions[0].title, "File");
    EXPECT_EQ(p.actions[0].item, "Open");
    EXPECT_EQ(p.actions[0].line, 2);
    EXPECT_EQ(p.actions[1].item, "");
    EXPECT_EQ(p.actions[2].path, "/tmp/a b.mrc");
    EXPECT_TRUE(p.actions[3].cancel);
    EXPECT_EQ(p.actions[4].word, "yes");
    const auto& d = p.actions[5];
    EXPECT_EQ(d.kind, K::Dialog);
    EXPECT_EQ(d.target, "Extent Parameters");
    ASSERT_EQ(d.sets.size(), 2u);
    EXPECT_EQ(d.sets[0].control, "Size p_1,..,p_q");
    EXPECT_EQ(d.sets[0].value, "3 4");
    EXPECT_EQ(d.sets[1].value, "\"AGE\", SEX");
    EXPECT_EQ(d.press, "OK");
    EXPECT_EQ(p.actions[6].target, "Scatter plot");
    EXPECT_EQ(p.actions[6].x, 100);
    EXPECT_TRUE(p.actions[6].right);
    EXPECT_EQ(p.actions[7].keys, (std::vector<int>{0, 81}));
    EXPECT_EQ(p.actions[8].keys, (std::vector<int>{'q'}));
    EXPECT_EQ(p.actions[9].kind, K::Dismiss);
    EXPECT_EQ(p.actions[10].ms, 250);
    EXPECT_EQ(p.actions[11].target, "frame");
    EXPECT_EQ(p.actions[11].path, "out.png");
    EXPECT_EQ(p.actions[12].kind, K::Memory);
    EXPECT_EQ(p.actions[13].kind, K::Exit);
}

TEST(ScriptParseTest, MistakesAreNamedByLine)
{
    auto p = parse_script(
        "menu\nanswer maybe\nclick 19 10\nwait -5\nkey 19 F13\njump\ndialog 5\n set a = 1\nmenu File > Open\n"
        "dialog 6\n");
    std::vector<std::string> expect = {
        "line 1: expected: menu TITLE > ITEM, or menu TITLE",
        "line 2: expected: answer yes, no, ok or cancel",
        "line 3: expected: click WINDOW X Y [right]",
        "line 4: expected: wait MILLISECONDS",
        "line 5: expected: key WINDOW KEY (a character, a code or a key name)",
        "line 6: unknown action \"jump\"",
        "line 7: dialog block without its closing \"press\"",
        "line 10: dialog block without its closing \"press\"",
    };
    EXPECT_EQ(p.errors, expect);
}

TEST(ScriptParseTest, KeyNames)
{
    EXPECT_EQ(parse_key("Esc"), (std::vector<int>{27}));
    EXPECT_EQ(parse_key("enter"), (std::vector<int>{13}));
    EXPECT_EQ(parse_key("PgUp"), (std::vector<int>{0, 73}));
    EXPECT_EQ(parse_key("Home"), (std::vector<int>{0, 71}));
    EXPECT_EQ(parse_key("1"), (std::vector<int>{'1'}));
    EXPECT_EQ(parse_key("27"), (std::vector<int>{27}));
    EXPECT_EQ(parse_key("300"), std::nullopt);
}

TEST(ScriptRunTest, MenusAtTheIdlePollThenTheEndOfTheScriptEndsWithZero)
{
    ScriptRun r("menu File > Open\nwait 30\nshot frame a.png\nmenu Criteria\n");
    r.script->at_idle();
    EXPECT_EQ(r.host.calls, std::vector<std::string>{"menu File|Open"});
    r.script->at_idle();
    EXPECT_EQ(r.host.calls,
              (std::vector<std::string>{"menu File|Open", "pump 30", "shot frame a.png", "menu Criteria|"}));
    EXPECT_EQ(r.host.status, -1);
    r.script->at_idle();
    EXPECT_EQ(r.host.status, kScriptDone);
    EXPECT_TRUE(r.script->ended());
}

TEST(ScriptRunTest, AnActionThatDoesNotFitEndsWithThreeNamingBoth)
{
    {
        ScriptRun r("answer yes\n");
        r.script->at_idle();
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_EQ(
            r.host.message,
            "script line 1: \"answer yes\" does not fit: the program waits at the idle poll (a menu action fits)");
    }
    {
        ScriptRun r("menu Search > Go!\n");
        r.host.refuse_menu = true;
        r.script->at_idle();
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_NE(r.host.message.find("(menu item is greyed)"), std::string::npos);
    }
    {
        ScriptRun r("menu File > Open\n");
        int button = message_box(r.modal(), "Fatal error in .MRC file. File ignored", "Fatal erro....",
                                 BoxButtons::OkCancel, BoxIcon::Information);
        EXPECT_EQ(button, 2);
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_EQ(r.host.message,
                  "script line 1: \"menu File > Open\" does not fit: the program waits at message box "
                  "\"Fatal erro....\" (answer ok or cancel fits)");
    }
    {
        // Out of actions while a modal waits.
        ScriptRun r("");
        EXPECT_FALSE(ask_yes_no(r.modal(), "Save changes?", "Query:"));
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_EQ(r.host.message,
                  "script: the script has ended while the program waits at the question \"Save changes?\"");
    }
    {
        ScriptRun r("answer cancel\n");
        message_box(r.modal(), "Only OK here", "Message...", BoxButtons::Ok, BoxIcon::None);
        EXPECT_EQ(r.host.status, kScriptMismatch);
    }
}

TEST(ScriptRunTest, MessageBoxesQuestionsAndTheFileDialog)
{
    std::string self = MERU_TEST_DATA_DIR "/platform/script_test.cpp";
    ScriptRun r("answer ok\nanswer cancel\nanswer no\nanswer yes\nfile cancel\nfile " + self +
                "\nfile /no/such.mrc\n");
    EXPECT_EQ(message_box(r.modal(), "a", "c", BoxButtons::Ok, BoxIcon::Exclamation), 1);
    EXPECT_EQ(message_box(r.modal(), "b", "c", BoxButtons::OkCancel, BoxIcon::Question), 2);
    EXPECT_FALSE(ask_yes_no(r.modal(), "q1", "Query:"));
    EXPECT_TRUE(ask_yes_no(r.modal(), "q2", "Query:"));
    std::vector<FileFilter> filters = {{"Control files", "*.mrc"}};
    EXPECT_EQ(open_file_dialog(r.modal(), "Open", filters, ""), std::nullopt);
    EXPECT_EQ(open_file_dialog(r.modal(), "Open", filters, ""), self);
    EXPECT_EQ(r.host.status, -1);
    EXPECT_EQ(open_file_dialog(r.modal(), "Open", filters, ""), std::nullopt);
    EXPECT_EQ(r.host.status, kScriptMismatch);
    EXPECT_NE(r.host.message.find("(no such file)"), std::string::npos);
}

TEST(ScriptRunTest, DismissClosesBoxesUntilTheNextIdlePoll)
{
    ScriptRun r("menu File > Open\ndismiss\nmenu View > Output\nanswer ok\n");
    r.script->at_idle();
    EXPECT_EQ(message_box(r.modal(), "first", "c", BoxButtons::OkCancel, BoxIcon::None), 1);
    EXPECT_TRUE(r.script->dismissing());
    EXPECT_EQ(message_box(r.modal(), "second", "c", BoxButtons::OkCancel, BoxIcon::None), 1);
    EXPECT_TRUE(ask_yes_no(r.modal(), "third?", "Query:"));
    r.script->at_idle(); // dismissing ends here; the menu action is taken
    EXPECT_FALSE(r.script->dismissing());
    EXPECT_EQ(r.host.calls.back(), "menu View|Output");
    EXPECT_EQ(message_box(r.modal(), "fourth", "c", BoxButtons::OkCancel, BoxIcon::None), 1);
    EXPECT_EQ(r.host.status, -1);
}

TEST(ScriptRunTest, ADialogBlockSetsEveryKindOfControlAndPresses)
{
    ScriptRun r(R"(dialog 900
  set Name: = "AGE > 50"
  set Keep going = on
  set By Attribute = on
  set Variables = 2, "DIAB"
  set 106 = fig
  set 107 = second
  set 108 = 40
  press OK
dialog test DIALOG
  press esc
dialog *
  press enter
)");
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, r.modal());
    fill_lists(*d);
    d->set_int(107, 2, kNumItems);
    d->set_text(107, "first", 1);
    d->set_text(107, "second", 2);
    int list_calls = 0;
    d->set_callback(105, [&](Dialog&, int, CallbackKind) { ++list_calls; });
    EXPECT_EQ(d->run_modal(), 1);
    std::string s;
    d->get_text(101, s);
    EXPECT_EQ(s, "AGE > 50");
    bool on = false;
    d->get_logical(102, on);
    EXPECT_TRUE(on);
    d->get_logical(104, on);
    EXPECT_TRUE(on);
    int n = 0;
    d->get_int(105, n, 1);
    EXPECT_EQ(n, 2);
    d->get_int(105, n, 2);
    EXPECT_EQ(n, 5);
    EXPECT_GE(list_calls, 2); // the callback saw the selection as a click would show it
    d->get_int(106, n, 1);
    EXPECT_EQ(n, 3);
    d->get_text(107, s, kCurrentText);
    EXPECT_EQ(s, "second");
    d->get_int(108, n);
    EXPECT_EQ(n, 40);
    // The second run finds the values of the first, and Esc gives 2.
    EXPECT_EQ(d->run_modal(), kCancelId);
    d->get_text(101, s);
    EXPECT_EQ(s, "AGE > 50");
    EXPECT_EQ(d->run_modal(), 1); // Enter: the default button
    EXPECT_EQ(r.host.status, -1);
}

TEST(ScriptRunTest, AButtonWithACallbackLeavesTheDialogWaitingForTheNextBlock)
{
    ScriptRun r("dialog *\n press Help\nanswer ok\ndialog 900\n press 1\n");
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, r.modal());
    ModalHost modal = r.modal();
    d->set_callback(7, [&](Dialog&, int, CallbackKind) {
        message_box(modal, "help text", "Help", BoxButtons::Ok, BoxIcon::None);
    });
    EXPECT_EQ(d->run_modal(), 1);
    EXPECT_EQ(r.host.status, -1);
    EXPECT_EQ(r.script->position(), 3u);
}

TEST(ScriptRunTest, ADialogThatDoesNotFitOrAControlThatIsMissingEndsTheRun)
{
    auto lib = test_dialogs();
    {
        ScriptRun r("dialog 131\n press 1\n");
        auto d = Dialog::load(lib, 900, r.modal());
        EXPECT_EQ(d->run_modal(), kCancelId);
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_EQ(r.host.message,
                  "script line 1: \"dialog 131\" does not fit: the program waits at dialog 900 \"Test dialog\"");
    }
    {
        ScriptRun r("dialog 900\n set Colour = red\n press 1\n");
        auto d = Dialog::load(lib, 900, r.modal());
        d->run_modal();
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_NE(r.host.message.find("(no control \"Colour\")"), std::string::npos);
    }
    {
        ScriptRun r("dialog 900\n set Variables = 1, 2\n set 106 = 1, 2\n press 1\n");
        auto d = Dialog::load(lib, 900, r.modal());
        fill_lists(*d);
        d->run_modal();
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_NE(r.host.message.find("a single-selection list takes one item"), std::string::npos);
    }
    {
        ScriptRun r("dialog 900\n press OK\n");
        auto d = Dialog::load(lib, 900, r.modal());
        d->set_enabled(1, false);
        d->run_modal();
        EXPECT_EQ(r.host.status, kScriptMismatch);
        EXPECT_NE(r.host.message.find("\"OK\" is not an enabled button"), std::string::npos);
    }
}

TEST(ScriptRunTest, NotesAndQuestionsBuiltAsDialogsTakeAnswerAndDismiss)
{
    std::vector<std::string> errors;
    auto lib = load_dialog_folder(MERU_TEST_DATA_DIR "/../resources/dialogs", errors);
    ScriptRun r("answer no\ndismiss\n");
    auto quiz = Dialog::load(lib, 127, r.modal());
    ASSERT_NE(quiz, nullptr);
    quiz->set_text(-1, "Prints only currently in focus window. Continue?");
    quiz->set_answer("yes", 1);
    quiz->set_answer("no", 7);
    quiz->set_dismissable(true);
    EXPECT_EQ(quiz->run_modal(), 7);
    auto note = Dialog::load(lib, 140, r.modal());
    note->set_dismissable(true);
    note->set_text(1402, "NOTE: added attributes");
    EXPECT_EQ(note->run_modal(), 1); // dismissed: OK
    EXPECT_EQ(quiz->run_modal(), 1); // dismissed: Yes, the default button
    EXPECT_EQ(r.host.status, -1);
}

TEST(ScriptRunTest, DismissPressesTheDefaultButtonOnceAndThenEndsWithThree)
{
    std::vector<std::string> errors;
    auto lib = load_dialog_folder(MERU_TEST_DATA_DIR "/../resources/dialogs", errors);
    {
        // A default button whose callback leaves the note open: pressed once, then
        // the script (which has nothing more) cannot answer it.
        ScriptRun r("dismiss\n");
        auto note = Dialog::load(lib, 140, r.modal());
        ASSERT_NE(note, nullptr);
        note->set_dismissable(true);
        int presses = 0;
        note->set_callback(note->default_button(), [&](Dialog& d, int, CallbackKind) {
            if (++presses == 50) d.close_with(kCancelId); // keeps a faulty loop from running for ever
        });
        note->run_modal();
        EXPECT_EQ(presses, 1);
        EXPECT_EQ(r.host.status, kScriptMismatch);
    }
    {
        // A disabled default button: the run ends with 3 instead of spinning.
        ScriptRun r("dismiss\n");
        auto note = Dialog::load(lib, 140, r.modal());
        note->set_dismissable(true);
        note->set_enabled(note->default_button(), false);
        EXPECT_EQ(note->run_modal(), kCancelId);
        EXPECT_EQ(r.host.status, kScriptMismatch);
    }
}

TEST(ScriptRunTest, WindowPollsTakeClicksAndKeys)
{
    ScriptRun r("click 19 100 50\nkey Plot Esc\nmenu File > Open\n");
    r.script->at_poll();
    r.host.pending = true; // the key is not read yet: the next poll takes nothing
    r.script->at_poll();
    EXPECT_EQ(r.host.calls, std::vector<std::string>{"click 19 100 50"});
    r.host.pending = false;
    r.script->at_poll();
    EXPECT_EQ(r.host.calls.back(), "key Plot 27");
    r.script->at_poll();
    EXPECT_EQ(r.host.status, kScriptMismatch);
    EXPECT_NE(r.host.message.find("(click, key or close fits)"), std::string::npos);

    // A key its window never reads ends the run instead of holding it.
    ScriptRun unread("key Plot Esc\nclick 19 1 1\n");
    unread.script->at_poll();
    unread.host.pending = true;
    for (int i = 0; i < kMaxUnreadPolls; ++i) unread.script->at_poll();
    EXPECT_EQ(unread.host.status, -1);
    unread.script->at_poll();
    EXPECT_EQ(unread.host.status, kScriptMismatch);
    EXPECT_EQ(unread.host.calls, std::vector<std::string>{"key Plot 27"});
    EXPECT_EQ(unread.host.message, "script: a key typed into a window has not been read in 50 polls of the window");
}

TEST(ScriptRunTest, ExitEndsTheRunWithZeroWhereverTheProgramWaits)
{
    ScriptRun r("exit\nmenu File > Open\n");
    EXPECT_EQ(message_box(r.modal(), "x", "c", BoxButtons::OkCancel, BoxIcon::None), 2);
    EXPECT_EQ(r.host.status, kScriptDone);
    EXPECT_TRUE(r.host.calls.empty());
}

TEST(ScriptRunTest, AScriptFileWithMistakesIsRefusedWithThem)
{
    FakeHost host;
    std::string error;
    EXPECT_EQ(Script::from_file("/no/such/script", host, error), nullptr);
    EXPECT_EQ(error, "script /no/such/script cannot be read");
}

TEST(MessageBoxTest, RealButtonsGiveOneAndTwo)
{
    auto click_later = [](QMessageBox::StandardButton which) {
        QTimer::singleShot(0, [which] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->button(which)->click();
        });
    };
    click_later(QMessageBox::Cancel);
    EXPECT_EQ(message_box({}, "text", "cap", BoxButtons::OkCancel, BoxIcon::Information), 2);
    click_later(QMessageBox::Ok);
    EXPECT_EQ(message_box({}, "text", "cap", BoxButtons::OkCancel, BoxIcon::Question), 1);
    click_later(QMessageBox::No);
    EXPECT_FALSE(ask_yes_no({}, "sure?", "Query:"));
    click_later(QMessageBox::Yes);
    EXPECT_TRUE(ask_yes_no({}, "sure?", "Query:"));
}

TEST(FileFilterTest, TheNulSeparatedListBecomesPairs)
{
    std::string list("Control files\0*.mrc\0All files\0*.*\0\0", 35);
    auto f = parse_filter_list(list);
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].description, "Control files");
    EXPECT_EQ(f[0].patterns, "*.mrc");
    EXPECT_EQ(f[1].patterns, "*.*");
    EXPECT_EQ(parse_filter_list(std::string("Data\0*.dat", 10)).size(), 1u);
    EXPECT_TRUE(parse_filter_list(std::string("Lonely\0", 7)).empty());
}

TEST(FileFilterTest, PatternsMatchEitherCase)
{
    EXPECT_EQ(name_filter({".LOG files", "*.log"}), ".LOG files (*.log *.LOG)");
    EXPECT_EQ(name_filter({"Control files (*.mrc)", "*.mrc;*.MRC"}), "Control files (*.mrc *.MRC)");
    EXPECT_EQ(name_filter({"All files", "*.*"}), "All files (*.*)");
}

TEST(FileFilterTest, AFilterShowsTheFilesItsPatternsMatchInAnyCase)
{
    const FileFilter data{"Data files", "*.csv;*.txt *.dat"};
    for (const char* shown : {"/data/kyphosis.csv", "/data/KYPHOSIS.CSV", "rel/plain.Dat"})
        EXPECT_TRUE(filter_shows(data, shown)) << shown;
    for (const char* hidden : {"/data/kyphosis.mrc", "/data/csv", "/data/"})
        EXPECT_FALSE(filter_shows(data, hidden)) << hidden;
    EXPECT_TRUE(filter_shows({"All files", "*.*"}, "/data/kyphosis.mrc"));
}

TEST(FileDialogTest, TheRealDialogReturnsTheChosenFileOrNothing)
{
    std::string folder = MERU_TEST_DATA_DIR "/platform";
    std::string chosen = folder + "/script_test.cpp";
    std::string title_seen, filter_seen;
    auto act_later = [&](bool accept) {
        QTimer::singleShot(0, [&, accept] {
            auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            title_seen = dlg->windowTitle().toStdString();
            filter_seen = dlg->nameFilters().join("|").toStdString();
            EXPECT_EQ(QDir(dlg->directory()).canonicalPath(), QDir(QString::fromStdString(folder)).canonicalPath());
            if (accept) {
                dlg->selectFile(QString::fromStdString(chosen));
                QMetaObject::invokeMethod(dlg, "accept");
            } else {
                dlg->reject();
            }
        });
    };
    std::vector<FileFilter> filters = {{"Sources", "*.cpp;*.h"}, {"All files", "*.*"}};
    act_later(true);
    auto path = open_file_dialog({}, "Open", filters, folder);
    ASSERT_TRUE(path.has_value());
    EXPECT_EQ(QFileInfo(QString::fromStdString(*path)).canonicalFilePath(),
              QFileInfo(QString::fromStdString(chosen)).canonicalFilePath());
    EXPECT_EQ(title_seen, "Open");
    EXPECT_EQ(filter_seen, "Sources (*.cpp *.CPP *.h *.H)|All files (*.*)");
    act_later(false);
    EXPECT_EQ(open_file_dialog({}, "Open", filters, folder), std::nullopt);
}

TEST(FileDialogTest, AFolderAsTheInitialNameIsWhereItStartsWithTheNameLeftEmpty)
{
    // The program's start path is a folder, with or without its closing "/".
    const std::string folder = MERU_TEST_DATA_DIR "/platform";
    for (const std::string& initial : {folder + "/", folder}) {
        std::string name_seen = "?";
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            EXPECT_EQ(QDir(dlg->directory()).canonicalPath(), QDir(QString::fromStdString(folder)).canonicalPath());
            if (auto* edit = dlg->findChild<QLineEdit*>("fileNameEdit")) name_seen = edit->text().toStdString();
            dlg->reject();
        });
        EXPECT_EQ(open_file_dialog({}, "", {{"All files", "*.*"}}, "", initial), std::nullopt);
        EXPECT_EQ(name_seen, "") << initial;
    }
}

TEST(ScriptRunTest, ABusyActionIsTakenAtItsBusyPumpAndNotAtTheIdlePoll)
{
    ScriptRun r("menu Search > Go!\nat busy 3 menu Search > End\nmenu File > Exit\n");
    r.script->at_busy(); // no busy action is next: nothing happens
    r.script->at_idle();
    EXPECT_EQ(r.host.calls, std::vector<std::string>{"menu Search|Go!"});
    r.script->at_busy();
    r.script->at_busy();
    EXPECT_EQ(r.host.calls.size(), 1u);
    r.script->at_busy();
    EXPECT_EQ(r.host.calls, (std::vector<std::string>{"menu Search|Go!", "menu Search|End"}));
    r.script->at_busy(); // the next action waits for the idle poll
    EXPECT_EQ(r.host.calls.size(), 2u);

    // A dismiss between the search's start and its busy action is taken at the
    // first busy pump, which counts as the first of the busy action's pumps.
    ScriptRun dismissed("menu Search > Go!\ndismiss\nat busy 2 menu Search > End\nclick 15 20 8\n");
    dismissed.script->at_idle();
    dismissed.script->at_busy();
    EXPECT_TRUE(dismissed.script->dismissing());
    ASSERT_EQ(dismissed.host.calls.size(), 1u);
    dismissed.script->at_busy();
    EXPECT_EQ(dismissed.host.calls.back(), "menu Search|End");
    EXPECT_EQ(message_box(dismissed.modal(), "ended", "c", BoxButtons::OkCancel, BoxIcon::None), 1);
    dismissed.script->at_poll();
    EXPECT_EQ(dismissed.host.calls.back().rfind("click 15", 0), 0u);
    EXPECT_EQ(dismissed.host.status, -1);

    ScriptRun early("at busy 2 menu Search > End\n");
    early.script->at_idle();
    EXPECT_EQ(early.host.status, kScriptMismatch);

    auto bad = parse_script("at busy 0 menu Search > End\nat idle 2 menu Search > End\n");
    EXPECT_EQ(bad.errors.size(), 2u);
}

TEST(ScriptTest, AFramePictureShowsAMessageBoxWithItsTextWrappedAsWhenShown)
{
    // Too long for one line of a box: shown, the box wraps it over two.
    const QString text = "Top m too large. Truncated to 8, the number of ranked attributes the search may use "
                         "(1 ignored in Fix Positive) ";
    QMessageBox answered(QMessageBox::Information, "Top m", text), shown(QMessageBox::Information, "Top m", text);
    shown.show();
    QApplication::processEvents();
    EXPECT_EQ(picture_as_shown(answered).size(), shown.size());
    EXPECT_FALSE(answered.isVisible());
}
