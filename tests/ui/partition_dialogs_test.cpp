// The Manual partition and Control file combination dialogs on the real Qt
// dialogs: what they show, and what the user leaves in them.
#include "ui/partition_dialogs.h"
#include "ui_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <functional>

using namespace meru;
using meru::test::UiTest;

namespace {

namespace ids = ui::manpart_ids;

// Runs `act` once on the next modal dialog that opens.
class OnModal {
public:
    explicit OnModal(std::function<void(QDialog&)> act) : act_(std::move(act))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dlg || !dlg->isVisible() || done_) return;
            done_ = true;
            act_(*dlg);
        });
        timer_.start(5);
    }
    bool done() const { return done_; }

private:
    std::function<void(QDialog&)> act_;
    QTimer timer_;
    bool done_ = false;
};

QAbstractButton* button(QDialog& d, const QString& text)
{
    for (auto* b : d.findChildren<QPushButton*>())
        if (b->text().remove('&') == text) return b;
    return nullptr;
}

} // namespace

TEST_F(UiTest, ManualPartitionDialogShowsAndReturnsTheEdits)
{
    ASSERT_NE(dialogs.find(ids::kManualDialog), nullptr);
    ui::QtPartitionDialogs pd(ctx);
    ui::ManualView view;
    view.text = "(2)(3)";
    view.simplify = true;
    view.entries = {"    2: age>40", "    3: age>50", "    4: sex=M"};
    view.selected = {false, true, false};
    std::string shown_text, caption;
    int shown_selected = -1;
    bool shown_simplify = false;
    OnModal act([&](QDialog& d) {
        caption = d.windowTitle().toStdString();
        auto* edit = d.findChild<QLineEdit*>();
        auto* list = d.findChild<QListWidget*>();
        ASSERT_NE(edit, nullptr);
        ASSERT_NE(list, nullptr);
        shown_text = edit->text().toStdString();
        shown_selected = list->selectedItems().size() == 1 ? list->row(list->selectedItems()[0]) : -1;
        for (auto* c : d.findChildren<QCheckBox*>()) {
            if (c->text().startsWith("Simplify")) shown_simplify = c->isChecked();
            if (c->text().startsWith("Representation of A-")) c->setChecked(true);
        }
        edit->setText("(4 -2)");
        list->item(2)->setSelected(true);
        button(d, "Add")->click();
    });
    EXPECT_EQ(pd.manual(view), ids::kAdd);
    EXPECT_TRUE(act.done());
    EXPECT_EQ(caption, "Manual partition");
    EXPECT_EQ(shown_text, "(2)(3)");
    EXPECT_EQ(shown_selected, 1);
    EXPECT_TRUE(shown_simplify);
    EXPECT_EQ(view.text, "(4 -2)");
    EXPECT_TRUE(view.aminus);
    EXPECT_EQ(view.selected, (std::vector<bool>{false, true, true}));
}

TEST_F(UiTest, CombinationDialogReturnsTheChosenLine)
{
    ui::QtPartitionDialogs pd(ctx);
    const std::vector<std::string> lines = {"AGE60 (12 -3)", "both (2 3)"};
    std::vector<bool> selected(2, false);
    std::vector<std::string> labels;
    OnModal act([&](QDialog& d) {
        for (auto* l : d.findChildren<QLabel*>()) labels.push_back(l->text().toStdString());
        auto* list = d.findChild<QListWidget*>();
        ASSERT_EQ(list->count(), 2);
        list->item(1)->setSelected(true);
        button(d, "OK")->click();
    });
    EXPECT_EQ(pd.combination(lines, selected), ids::kOk);
    EXPECT_EQ(selected, (std::vector<bool>{false, true}));
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Control file Boolean combination"), labels.end());
}

TEST_F(UiTest, PartitionDialogsWithoutTemplatesReportIt)
{
    platform::DialogLibrary empty;
    ui::Context bare{frame, menus, {&frame.main_window(), nullptr}, empty, log, MERU_RUNTIME_DIR, {}, {}, {}, {}};
    ui::QtPartitionDialogs pd(bare);
    ui::ManualView view;
    std::vector<bool> sel;
    EXPECT_EQ(pd.manual(view), ui::kDialogMissing);
    EXPECT_EQ(pd.combination({}, sel), ui::kDialogMissing);
}
