#pragma once
// The program's state over a real frame, with the twelve menus built, the
// program's dialog templates, an output log in a temporary folder, and an exit
// that records the status instead of ending the test.
#include "mainloop/mainloop.h"
#include "mainloop/menubar.h"
#include "mainloop/program.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/units.h"
#include "support/qt_application.h"
#include "ui/thinking.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace meru::test {

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(platform::initialize_fonts(MERU_RUNTIME_DIR), 2);
        frame.show();
        program = std::make_unique<mainloop::Program>(frame, units);
        std::vector<std::string> errors;
        program->dialogs = platform::load_dialog_folder(std::string(MERU_RUNTIME_DIR) + "/dialogs", errors);
        program->ui.font_folder = MERU_RUNTIME_DIR;
        log_path = dir.filePath("TEST.LOG").toStdString();
        ASSERT_EQ(program->log.create(log_path), 0);
        program->prefs_path = dir.filePath("meru.prf").toStdString();
        program->exit = [this](int status) { exits.push_back(status); };
        mainloop::menubar(*program);
        mainloop::install_hooks(*program);
        ui::thinking(program->ui, "", false);
    }

    std::vector<std::string> log_lines()
    {
        program->log.flush();
        std::ifstream in(log_path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // The texts written into the progress window since journaling began.
    std::vector<std::string> progress_texts()
    {
        std::vector<std::string> texts;
        for (const auto& call : frame.canvas(mainloop::kProgressUnit)->journal())
            if (call.op == "text") texts.push_back(call.text);
        return texts;
    }

    void choose(std::string_view title, std::string_view item)
    {
        std::string why;
        ASSERT_TRUE(program->menus.choose(program->menus.find(title, item), why)) << why;
    }

    QTemporaryDir dir;
    std::string log_path;
    platform::UnitRegistry units;
    platform::Frame frame{units};
    std::unique_ptr<mainloop::Program> program;
    std::vector<int> exits;
};

} // namespace meru::test
