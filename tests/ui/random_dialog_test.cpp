// The Random partitions dialog on the real Qt dialog: what it shows, and what the
// user leaves in it.
#include "ui/random_dialog.h"
#include "ui_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace meru;
using meru::test::UiTest;

namespace {

namespace ids = ui::random_ids;

QRadioButton* radio(QDialog& d, const QString& text)
{
    for (auto* b : d.findChildren<QRadioButton*>())
        if (b->text().remove('&') == text) return b;
    return nullptr;
}

} // namespace

TEST_F(UiTest, RandomDialogShowsAndReturnsTheEntries)
{
    ASSERT_NE(dialogs.find(ids::kDialog), nullptr);
    ui::QtRandomDialog dialog(ctx);
    ui::RandomDialogView view;
    view.header = " # Partitions on last search=   12 G_test= 3.0000";
    view.mode = stats::SplitMode::Mimic;
    view.percent = "  25.0";

    std::string caption, shown_number, shown_percent;
    bool mimic_on = false, header_shown = false;
    QTimer timer;
    bool acted = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isVisible() || acted) return;
        acted = true;
        caption = d->windowTitle().toStdString();
        for (auto* l : d->findChildren<QLabel*>())
            if (l->text().toStdString() == view.header) header_shown = true;
        auto edits = d->findChildren<QLineEdit*>();
        for (auto* e : edits) {
            if (e->text() == "10000") shown_number = "10000", e->setText("250");
            if (e->text() == "  25.0") shown_percent = "  25.0", e->setText("40");
        }
        mimic_on = radio(*d, "Mimic split distribution")->isChecked();
        radio(*d, "Fixed % split distribution. Enter %:")->click();
        for (auto* b : d->findChildren<QPushButton*>())
            if (b->text().remove('&') == "OK") b->click();
    });
    timer.start(5);
    const int id = dialog.run(view);

    EXPECT_EQ(id, ids::kOk);
    EXPECT_EQ(caption, "Random partitions");
    EXPECT_TRUE(header_shown);
    EXPECT_EQ(shown_number, "10000");
    EXPECT_EQ(shown_percent, "  25.0");
    EXPECT_TRUE(mimic_on);
    EXPECT_EQ(view.number, "250");
    EXPECT_EQ(view.percent, "40");
    EXPECT_EQ(view.mode, stats::SplitMode::Fixed);
}

TEST_F(UiTest, RandomDialogMissingTemplate)
{
    platform::DialogLibrary empty;
    ui::Context bare{frame, menus, {&frame.main_window(), nullptr}, empty, log, MERU_RUNTIME_DIR, {}, {}, {}, {}};
    ui::QtRandomDialog dialog(bare);
    ui::RandomDialogView view;
    EXPECT_EQ(dialog.run(view), ids::kDialogMissing);
}
