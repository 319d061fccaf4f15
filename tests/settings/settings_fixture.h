#pragma once
// The settings routines over the recording services, a scripted dialog and an
// output log in a temporary folder, read back line by line.
#include "platform/io/logwriter.h"
#include "support/recording_services.h"
#include "support/scripted_forms.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace meru::test {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("TEST.LOG").toStdString();
        ASSERT_EQ(log.create(path), 0);
    }

    std::vector<std::string> log_lines()
    {
        log.flush();
        std::ifstream in(path);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    QTemporaryDir dir;
    std::string path;
    io::LogWriter log;
    RecordingServices services;
    ScriptedForms forms;
};

} // namespace meru::test
