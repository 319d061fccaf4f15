#pragma once
// A frame with its menu bar, the program's dialog templates, an output log in a
// temporary folder and the interface services' context over them; and a helper
// that answers the real modal boxes and dialogs by their button texts.
#include "platform/dialog_template.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/logwriter.h"
#include "platform/io/units.h"
#include "platform/menus.h"
#include "platform/script.h"
#include "support/qt_application.h"
#include "ui/context.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace meru::test {

// Menus 1 to 12 with two items each (item 2 of menu 5 greyed).
inline void build_menu_bar(platform::Menus& menus)
{
    for (int m = 1; m <= 12; ++m) {
        menus.append(m, platform::kMenuEnabled, "Menu" + std::to_string(m));
        menus.append(m, platform::kMenuEnabled, "First");
        menus.append(m, m == 5 ? platform::kMenuGrey : platform::kMenuEnabled, "Second");
    }
}

class UiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
        std::vector<std::string> errors;
        dialogs = platform::load_dialog_folder(std::string(MERU_RUNTIME_DIR) + "/dialogs", errors);
        ASSERT_TRUE(errors.empty()) << errors.front();
        ASSERT_NE(dialogs.find(127), nullptr);
        build_menu_bar(menus);
        frame.show();
        log_path = dir.filePath("TEST.LOG").toStdString();
        ASSERT_EQ(log.create(log_path), 0);
    }

    // The log's lines so far.
    std::vector<std::string> log_lines()
    {
        log.flush();
        std::ifstream in(log_path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    QTemporaryDir dir;
    std::string log_path;
    platform::UnitRegistry units;
    platform::Frame frame{units};
    platform::Menus menus{frame.main_window().menuBar()};
    platform::DialogLibrary dialogs;
    io::LogWriter log;
    ui::Context ctx{frame, menus, {&frame.main_window(), nullptr}, dialogs, log, MERU_RUNTIME_DIR, {}, {}, {}, {}};
};

// What a modal showed.
struct Shown {
    std::string caption;
    std::string text; // a message box's text; a dialog's label texts joined by "|"
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<std::string> buttons;
};

// Answers each modal that opens by clicking the next button text of `presses`
// ("Esc" rejects it), recording what it showed.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::vector<std::string> presses) : presses_(presses.begin(), presses.end())
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start(5);
    }
    std::vector<Shown> shown;
    bool exhausted() const { return presses_.empty(); }

private:
    void poll()
    {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == last_.data() || !w->isVisible() || presses_.empty()) return;
        auto* dlg = qobject_cast<QDialog*>(w);
        if (!dlg) return;
        last_ = w;
        Shown s;
        s.caption = w->windowTitle().toStdString();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            s.text = box->text().toStdString();
            s.icon = box->icon();
        } else {
            for (auto* label : w->findChildren<QLabel*>())
                if (!label->text().isEmpty()) {
                    if (!s.text.empty()) s.text += '|';
                    s.text += label->text().toStdString();
                }
        }
        QAbstractButton* target = nullptr;
        const std::string want = presses_.front();
        presses_.pop_front();
        for (auto* b : w->findChildren<QAbstractButton*>()) {
            std::string t = b->text().remove('&').toStdString();
            if (t.empty()) continue;
            s.buttons.push_back(t);
            if (t == want) target = b;
        }
        shown.push_back(s);
        if (target) target->click();
        else dlg->reject();
    }

    std::deque<std::string> presses_;
    QTimer timer_;
    QPointer<QWidget> last_; // a dialog answered already (null once deleted)
};

// A script host that only records how a run ended (modals are answered by the script).
class EndRecorder : public platform::ScriptHost {
public:
    int status = -1;
    bool choose_menu(std::string_view, std::string_view, std::string&) override { return false; }
    bool click(std::string_view, int, int, bool, std::string&) override { return false; }
    bool key(std::string_view, const std::vector<int>&, std::string&) override { return false; }
    bool input_pending() const override { return false; }
    bool shot(std::string_view, const std::string&, std::string&) override { return false; }
    void pump(int) override {}
    void end_run(int s, const std::string&) override { status = s; }
};

inline std::unique_ptr<platform::Script> make_script(const std::string& text, platform::ScriptHost& host)
{
    auto parsed = platform::parse_script(text);
    EXPECT_TRUE(parsed.errors.empty()) << (parsed.errors.empty() ? "" : parsed.errors.front());
    return std::make_unique<platform::Script>(std::move(parsed.actions), host);
}

} // namespace meru::test
