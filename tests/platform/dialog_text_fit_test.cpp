// Every dialog the program ships, built as it is shown, in the bundled DejaVu
// Sans: no label, check box, radio button, group title or button text is wider
// (or, wrapped, taller) than its box.
#include "platform/dialogs.h"
#include "platform/fonts.h"
#include "support/qt_application.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

using namespace meru::platform;

namespace {

// A push button's bevel and the least air on each side of its text.
constexpr int kButtonChrome = 8;
// A group box's title sits this far in from its frame, on each side.
constexpr int kGroupChrome = 16;

QString shown(QString text) { return text.remove(QLatin1Char('&')); }

// What does not fit in one control, or an empty text.
std::string misfit(QWidget* w)
{
    const QFontMetrics fm(w->font());
    const int width = w->width(), height = w->height();
    int need_w = 0, need_h = 0;
    QString text;
    if (auto* l = qobject_cast<QLabel*>(w)) {
        text = l->text();
        if (text.isEmpty()) return {};
        // A wrapped label needs its longest word on one line and all its lines in the box.
        for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            need_w = std::max(need_w, fm.horizontalAdvance(word));
        need_h = fm.boundingRect(QRect(0, 0, width, 10000), Qt::TextWordWrap, text).height();
    } else if (auto* b = qobject_cast<QPushButton*>(w)) {
        text = shown(b->text());
        need_w = fm.horizontalAdvance(text) + kButtonChrome;
        need_h = fm.height();
    } else if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        auto* b = static_cast<QAbstractButton*>(w);
        text = shown(b->text());
        need_w = b->sizeHint().width(); // indicator, spacing and text
        need_h = fm.height();
    } else if (auto* g = qobject_cast<QGroupBox*>(w)) {
        text = shown(g->title());
        need_w = fm.horizontalAdvance(text) + kGroupChrome;
    } else {
        return {};
    }
    if (text.isEmpty() || (need_w <= width && need_h <= height)) return {};
    return "\"" + text.toStdString() + "\" needs " + std::to_string(need_w) + "x" + std::to_string(need_h) +
           " pixels in a box of " + std::to_string(width) + "x" + std::to_string(height);
}

} // namespace

TEST(DialogTextFitTest, EveryShippedTextFitsItsBoxInTheDialogFont)
{
    ASSERT_EQ(initialize_fonts(MERU_RUNTIME_DIR), 2);
    EXPECT_EQ(QFontInfo(dialog_font()).family(), "DejaVu Sans");
    std::vector<std::string> errors;
    const DialogLibrary lib = load_dialog_folder(MERU_TEST_DATA_DIR "/../resources/dialogs", errors);
    ASSERT_TRUE(errors.empty());
    ASSERT_GT(lib.dialogs.size(), 30u);
    int checked = 0;
    for (const auto& [id, tpl] : lib.dialogs) {
        Dialog d(tpl, ModalHost{});
        for (QWidget* w : d.widget()->findChildren<QWidget*>()) {
            if (w->parentWidget() != d.widget()) continue;
            ++checked;
            const std::string why = misfit(w);
            EXPECT_TRUE(why.empty()) << "dialog " << id << " \"" << tpl.caption << "\": " << why;
        }
    }
    EXPECT_GT(checked, 200);
}

// Texts the program puts into a dialog's statics when it shows it: the widest
// each can be fits too.
TEST(DialogTextFitTest, TextsSetWhenShownFitTheirBoxes)
{
    ASSERT_EQ(initialize_fonts(MERU_RUNTIME_DIR), 2);
    std::vector<std::string> errors;
    const DialogLibrary lib = load_dialog_folder(MERU_TEST_DATA_DIR "/../resources/dialogs", errors);
    ASSERT_TRUE(errors.empty());
    struct Shown {
        int dialog, control;
        const char* text;
    };
    for (const Shown& s :
         {Shown{121, 1003, "Enter training sample size (<99999), unless attribute defined"},
          Shown{109, 1013, "Criterion: Odds ratio (Bayes)"}, Shown{109, 1012, "Complexity: # attributes"}}) {
        const DialogTemplate* tpl = lib.find(s.dialog);
        ASSERT_NE(tpl, nullptr) << s.dialog;
        Dialog d(*tpl, ModalHost{});
        ASSERT_TRUE(d.set_text(s.control, s.text));
        EXPECT_EQ(misfit(d.control_widget(s.control)), "") << "dialog " << s.dialog;
    }
}
