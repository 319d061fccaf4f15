// The dialog library driven through real widgets: values by control id in every
// form, list boxes and their callbacks, modal runs closed by buttons, Esc, the
// close box and Enter, values kept from one run to the next, and the active window.
#include "dialog_fixture.h"

#include "platform/message_box.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace meru::platform;
using meru::test::fill_lists;
using meru::test::test_dialogs;

namespace {

// Runs `act` once the modal dialog is shown.
int run_with(Dialog& d, std::function<void()> act)
{
    QTimer::singleShot(0, [act] { act(); });
    return d.run_modal();
}

void click_row(Dialog& d, int control, int row, Qt::KeyboardModifiers mods = {})
{
    auto* lw = static_cast<QListWidget*>(d.control_widget(control));
    QRect r = lw->visualItemRect(lw->item(row));
    QTest::mouseClick(lw->viewport(), Qt::LeftButton, mods, r.center());
}

} // namespace

TEST(DialogTest, AMissingTemplateGivesNoDialog)
{
    auto lib = test_dialogs();
    EXPECT_EQ(Dialog::load(lib, 8, {}), nullptr);
    EXPECT_NE(Dialog::load(lib, 900, {}), nullptr);
}

TEST(DialogTest, TextLogicalAndIntegerFormsByControlId)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    std::string s;
    ASSERT_TRUE(d->get_text(101, s));
    EXPECT_EQ(s, "start");
    EXPECT_TRUE(d->set_text(101, " 42 "));
    int n = 0;
    EXPECT_TRUE(d->get_int(101, n));
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(d->set_text(101, "4 2"));
    EXPECT_FALSE(d->get_int(101, n));

    bool b = true;
    ASSERT_TRUE(d->get_logical(102, b));
    EXPECT_FALSE(b);
    EXPECT_TRUE(d->set_logical(102, true));
    d->get_logical(102, b);
    EXPECT_TRUE(b);

    // A radio group may start with no button on; switching one on switches the other off.
    d->get_logical(103, b);
    EXPECT_FALSE(b);
    d->get_logical(104, b);
    EXPECT_FALSE(b);
    d->set_logical(103, true);
    d->set_logical(104, true);
    d->get_logical(103, b);
    EXPECT_FALSE(b);
    d->get_logical(104, b);
    EXPECT_TRUE(b);
    d->set_logical(104, false);
    d->get_logical(104, b);
    EXPECT_FALSE(b);

    // Static, button and group texts; the icon's name.
    EXPECT_TRUE(d->set_text(1, "Go"));
    d->get_text(1, s);
    EXPECT_EQ(s, "Go");
    EXPECT_TRUE(d->set_text(109, "Box"));
    d->get_text(109, s);
    EXPECT_EQ(s, "Box");
    EXPECT_TRUE(d->set_text(110, "meru"));
    d->get_text(110, s);
    EXPECT_EQ(s, "meru");

    // Scroll bar: range and position.
    EXPECT_TRUE(d->set_int(108, 0, kRangeMin));
    EXPECT_TRUE(d->set_int(108, 10, kRangeMax));
    EXPECT_TRUE(d->set_int(108, 7));
    d->get_int(108, n);
    EXPECT_EQ(n, 7);
    d->get_int(108, n, kRangeMax);
    EXPECT_EQ(n, 10);

    // Unknown ids and forms that do not apply are refused.
    EXPECT_FALSE(d->set_text(555, "x"));
    EXPECT_FALSE(d->get_text(555, s));
    EXPECT_FALSE(d->set_logical(101, true));
    EXPECT_FALSE(d->get_logical(1, b));
    EXPECT_FALSE(d->set_text(101, "x", 3));
}

TEST(DialogTest, ListCountItemsSelectionsAndCurrentText)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    fill_lists(*d);
    int n = 0;
    d->get_int(105, n, kNumItems);
    EXPECT_EQ(n, 5);
    std::string s;
    d->get_text(105, s, 3);
    EXPECT_EQ(s, "BMI");
    EXPECT_FALSE(d->get_text(105, s, 6));

    // Nothing selected: the first selected item is 0 and the current text empty.
    d->get_int(105, n, 1);
    EXPECT_EQ(n, 0);
    d->get_text(105, s, kCurrentText);
    EXPECT_EQ(s, "");

    // Items 2 and 5 selected: j = 1, 2 give 2 and 5, then 0 after the last.
    d->set_logical(105, true, 2);
    d->set_logical(105, true, 5);
    int expect[] = {2, 5, 0, 0};
    for (int j = 1; j <= 4; ++j) {
        d->get_int(105, n, j);
        EXPECT_EQ(n, expect[j - 1]) << j;
    }
    // The j-th selected item set by number; 0 ends the selection there.
    d->set_int(105, 4, 2);
    d->get_int(105, n, 2);
    EXPECT_EQ(n, 4);
    d->set_int(105, 0, 1);
    d->get_int(105, n, 1);
    EXPECT_EQ(n, 0);

    // Cutting the list drops the items beyond the new count.
    d->set_int(105, 3, kNumItems);
    d->get_int(105, n, kNumItems);
    EXPECT_EQ(n, 3);
    EXPECT_FALSE(d->get_text(105, s, 4));
}

TEST(DialogTest, ASortedListShowsItsItemsInOrderButKeepsTheCallersNumbers)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    fill_lists(*d);
    int seen = 0;
    run_with(*d, [&] {
        auto* lw = static_cast<QListWidget*>(d->control_widget(106));
        EXPECT_EQ(lw->item(0)->text(), "apple");
        EXPECT_EQ(lw->item(2)->text(), "pear");
        click_row(*d, 106, 0); // "apple", the second item set
        d->get_int(106, seen, 1);
        d->widget()->reject();
    });
    EXPECT_EQ(seen, 2);
    std::string s;
    d->get_text(106, s, kCurrentText);
    EXPECT_EQ(s, "apple");
}

TEST(DialogTest, AListCallbackRunsOnEverySelectionChangeOfRealClicks)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    fill_lists(*d);
    // The owner's flags as the list callback keeps them: one per item, plus one.
    std::vector<bool> selflag(7, true);
    int calls = 0;
    d->set_callback(105, [&](Dialog& dlg, int id, CallbackKind kind) {
        ++calls;
        EXPECT_EQ(id, 105);
        EXPECT_EQ(kind, CallbackKind::SelectionChanged);
        int n = 0;
        dlg.get_int(id, n, kNumItems);
        std::fill(selflag.begin() + 1, selflag.begin() + n + 2, false);
        for (int j = 1;; ++j) {
            int k = 0;
            dlg.get_int(id, k, j);
            if (k == 0) break;
            selflag[k] = true;
        }
    });
    // Values the program sets raise no callback.
    d->set_logical(105, true, 1);
    d->set_logical(105, false, 1);
    EXPECT_EQ(calls, 0);

    int closed = run_with(*d, [&] {
        click_row(*d, 105, 1);
        click_row(*d, 105, 4);
        QTest::mouseClick(static_cast<QPushButton*>(d->control_widget(1)), Qt::LeftButton);
    });
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(calls, 2);
    std::vector<bool> expect = {true, false, true, false, false, true, false};
    EXPECT_EQ(selflag, expect);
}

TEST(DialogTest, AButtonWithACallbackRunsItInsteadOfClosing)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    int helps = 0;
    d->set_callback(7, [&](Dialog&, int id, CallbackKind kind) {
        EXPECT_EQ(id, 7);
        EXPECT_EQ(kind, CallbackKind::Clicked);
        ++helps;
    });
    int closed = run_with(*d, [&] {
        QTest::mouseClick(static_cast<QPushButton*>(d->control_widget(7)), Qt::LeftButton);
        EXPECT_TRUE(d->widget()->isVisible());
        QTest::mouseClick(static_cast<QPushButton*>(d->control_widget(7)), Qt::LeftButton);
        QTest::mouseClick(static_cast<QPushButton*>(d->control_widget(2)), Qt::LeftButton);
    });
    EXPECT_EQ(helps, 2);
    EXPECT_EQ(closed, 2);

    // A callback may close the dialog with an id of its choosing.
    d->set_callback(7, [](Dialog& dlg, int, CallbackKind) { dlg.close_with(1000); });
    closed =
        run_with(*d, [&] { QTest::mouseClick(static_cast<QPushButton*>(d->control_widget(7)), Qt::LeftButton); });
    EXPECT_EQ(closed, 1000);
}

TEST(DialogTest, EscCloseBoxAndEnterGiveTheirIds)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    EXPECT_EQ(run_with(*d, [&] { QTest::keyClick(d->widget(), Qt::Key_Escape); }), kCancelId);
    EXPECT_EQ(run_with(*d, [&] { d->widget()->close(); }), kCancelId);
    // Enter in the edit field presses the default button, even with another button focused.
    EXPECT_EQ(run_with(*d,
                       [&] {
                           d->control_widget(7)->setFocus();
                           QTest::keyClick(d->control_widget(101), Qt::Key_Return);
                       }),
              1);
    EXPECT_EQ(run_with(*d, [&] { QTest::keyClick(d->control_widget(105), Qt::Key_Enter); }), 1);
    EXPECT_EQ(d->default_button(), 1);
}

TEST(DialogTest, ValuesTypedByTheUserAreKeptAcrossRuns)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    fill_lists(*d);
    int closed = run_with(*d, [&] {
        auto* edit = static_cast<QLineEdit*>(d->control_widget(101));
        edit->clear();
        QTest::keyClicks(edit, "7, 3");
        QTest::mouseClick(static_cast<QCheckBox*>(d->control_widget(102)), Qt::LeftButton);
        QTest::mouseClick(static_cast<QRadioButton*>(d->control_widget(104)), Qt::LeftButton);
        click_row(*d, 105, 2);
        QTest::keyClick(d->widget(), Qt::Key_Escape); // Cancel keeps them too
    });
    EXPECT_EQ(closed, kCancelId);
    std::string text;
    bool on = false;
    int item = 0;
    run_with(*d, [&] {
        d->get_text(101, text);
        d->get_logical(104, on);
        d->get_int(105, item, 1);
        QTest::mouseClick(static_cast<QPushButton*>(d->control_widget(1)), Qt::LeftButton);
    });
    EXPECT_EQ(text, "7, 3");
    EXPECT_TRUE(on);
    EXPECT_EQ(item, 3);
    d->get_logical(102, on);
    EXPECT_TRUE(on);
}

TEST(DialogTest, ADisabledControlCannotBeUsed)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    EXPECT_TRUE(d->is_enabled(1));
    EXPECT_TRUE(d->set_enabled(1, false));
    EXPECT_FALSE(d->is_enabled(1));
    EXPECT_FALSE(d->press(1));
    std::string why;
    d->set_enabled(101, false);
    EXPECT_FALSE(d->user_set(101, "x", why));
    EXPECT_EQ(why, "it is disabled");
    EXPECT_FALSE(d->set_enabled(4242, false));
    d->set_enabled(1, true);
    EXPECT_EQ(
        run_with(*d, [&] { QTest::mouseClick(static_cast<QPushButton*>(d->control_widget(1)), Qt::LeftButton); }), 1);
}

TEST(DialogTest, ControlsAreFoundByIdOrLabel)
{
    auto lib = test_dialogs();
    auto d = Dialog::load(lib, 900, {});
    EXPECT_EQ(d->find_control("101"), 101);
    EXPECT_EQ(d->find_control("name:"), 101);      // the static before the edit
    EXPECT_EQ(d->find_control("Keep going"), 102); // without "&", any case
    EXPECT_EQ(d->find_control("\"By Attribute\""), 104);
    EXPECT_EQ(d->find_control("Variables"), 105);
    EXPECT_EQ(d->find_control("cancel"), 2);
    EXPECT_EQ(d->find_control("Nothing"), std::nullopt);
    EXPECT_EQ(d->find_control("555"), std::nullopt);
}

TEST(DialogTest, TheProgramsTemplatesLieNextToTheExecutable)
{
    // The build lays resources/dialogs next to the executables in the runtime folder.
    std::vector<std::string> errors;
    auto lib = load_dialog_folder(MERU_RUNTIME_DIR "/dialogs", errors);
    EXPECT_TRUE(errors.empty());
    EXPECT_NE(lib.find(140), nullptr);
    // A note from its template: the caption and the text control the message routines fill.
    auto note = Dialog::load(lib, 140, {});
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->caption(), "FYI:");
    EXPECT_EQ(Dialog::load(lib, 141, {})->caption(), "FYI:Quit this by group allowed");
    EXPECT_TRUE(note->set_text(1402, "NOTE: added attributes"));
    EXPECT_EQ(note->shown_text(), "NOTE: added attributes");
    EXPECT_EQ(note->default_button(), 1);
}

TEST(DialogTest, ADialogBesideAWindowTakesTheSideWithMoreRoomInsideTheOwner)
{
    // A 300 x 325 box in an 800 x 770 area: 172 pixels right of the window and
    // none left, moved in to x 800 - 300; 400 left and 100 right, left of it;
    // low on the area, moved up to 770 - 325; an area too small: its corner.
    const QSize box(300, 325);
    const QRect area(0, 0, 800, 770);
    EXPECT_EQ(beside_window({0, 19, 628, 548}, box, area), QPoint(500, 19));
    EXPECT_EQ(beside_window({400, 40, 300, 200}, box, area), QPoint(100, 40));
    EXPECT_EQ(beside_window({0, 700, 200, 60}, box, area), QPoint(200, 445));
    EXPECT_EQ(beside_window({20, 20, 50, 50}, box, {5, 6, 200, 200}), QPoint(5, 6));
}

TEST(DialogTest, AModalWindowCentredOnTheFrameStaysCentredWhenTheFrameGrows)
{
    // Maximised from 400 x 300 to 1000 x 700 at (0, 0): the dialog follows the
    // centre (500, 350); moved by the user, it stays put.
    QWidget frame;
    frame.setGeometry(0, 0, 400, 300);
    frame.show();
    auto d = Dialog::load(test_dialogs(), 900, {&frame, nullptr});
    QWidget* w = d->widget();
    QPoint centred, moved;
    QTimer::singleShot(0, [&] {
        frame.resize(1000, 700);
        centred = w->frameGeometry().center();
        w->move(30, 40);
        frame.resize(900, 600);
        moved = w->pos();
        w->close();
    });
    d->run_modal();
    EXPECT_LE((centred - QPoint(500, 350)).manhattanLength(), 1);
    EXPECT_EQ(moved, QPoint(30, 40));
}

TEST(DialogTest, AModalWindowStaysActiveWhenTheFrameTakesTheFocusBack)
{
    // Once it shows, the frame is made active (as a window manager may do after
    // another modal window closed over it): the modal window must be active still.
    QWidget frame;
    frame.show();
    const ModalHost host{&frame, nullptr};
    auto d = Dialog::load(test_dialogs(), 900, host);
    const std::function<void()> runs[] = {[&] { d->run_modal(); }, [&] { ask_yes_no(host, "Continue?", "Query:"); }};
    for (const auto& run : runs) {
        bool active = false;
        QTimer::singleShot(0, [&] {
            frame.activateWindow();
            QTimer::singleShot(20, [&] {
                active = QApplication::activeWindow() == QApplication::activeModalWidget();
                QApplication::activeModalWidget()->close();
            });
        });
        run();
        EXPECT_TRUE(active);
    }
}
