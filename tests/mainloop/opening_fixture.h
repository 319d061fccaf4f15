#pragma once
// The opening sequence over a fake host and the recording services, in a
// temporary folder: files are written there, the dialog answers come from a
// queue, and the log is read back from its file.
#include "mainloop/opening.h"
#include "platform/io/logwriter.h"
#include "platform/io/os.h"
#include "platform/io/random.h"
#include "support/recording_services.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace meru::test {

class FakeOpeningHost : public mainloop::OpeningHost {
public:
    explicit FakeOpeningHost(io::LogWriter& log) : log_(log) {}

    std::deque<std::string> answers; // paths the dialog returns; "" cancels
    std::vector<std::string> recent;
    std::vector<std::string> calls;
    io::RandomStream stream;

    bool choose_file(std::string& path, std::string_view filter) override
    {
        calls.push_back("dialog:" + std::string(filter.substr(0, filter.find('\0'))));
        if (answers.empty() || answers.front().empty()) {
            if (!answers.empty()) answers.pop_front();
            return false;
        }
        path = answers.front();
        answers.pop_front();
        return true;
    }
    std::string recent_path(int k) override
    {
        return k >= 1 && k <= static_cast<int>(recent.size()) ? recent[static_cast<size_t>(k - 1)] : std::string();
    }
    void clear_history() override { calls.push_back("clear-history"); }
    void heading(const std::string& text) override
    {
        log_.write(text);
        log_.write("%time12:00:00:00");
    }
    platform::DateTime now() override { return {2026, 3, 7, 12, 0, 0, 0}; }
    void releasing() override { calls.push_back("releasing"); }
    void closed() override { calls.push_back("closed"); }
    void control_file_refused(const std::string& cf) override { calls.push_back("refused:" + cf); }
    void show_progress() override {}
    io::RandomStream& rng() override { return stream; }

    bool called(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

private:
    io::LogWriter& log_;
};

class OpeningTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path().toStdString() + "/";
        previous = io::current_folder().value_or(".");
    }
    void TearDown() override
    {
        log.close();
        io::change_folder(previous);
    }

    std::string write(const std::string& name, const std::string& text)
    {
        std::ofstream(folder + name, std::ios::binary) << text;
        return folder + name;
    }
    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> lines(const std::string& path)
    {
        log.flush();
        std::ifstream in(path);
        std::vector<std::string> out;
        for (std::string l; std::getline(in, l);) out.push_back(l);
        return out;
    }
    bool has_line(const std::string& path, const std::string& part)
    {
        const auto ls = lines(path);
        return std::any_of(ls.begin(), ls.end(),
                           [&](const std::string& l) { return l.find(part) != std::string::npos; });
    }
    bool sv_called(const std::string& call) const
    {
        return std::find(sv.calls.begin(), sv.calls.end(), call) != sv.calls.end();
    }

    mainloop::OpenResult open(mainloop::OpenRequest rq)
    {
        mainloop::OpeningContext cx{state, analysis, log, sv, host, msgline};
        return mainloop::open_analysis(rq, cx);
    }
    mainloop::OpenResult open_file(const std::string& path)
    {
        host.answers.push_back(path);
        return open({true, false, 0, false});
    }

    QTemporaryDir dir;
    std::string folder;
    std::string previous;
    io::LogWriter log;
    RecordingServices sv;
    FakeOpeningHost host{log};
    mainloop::OpeningState state;
    std::unique_ptr<mainloop::Analysis> analysis;
    std::string msgline;
};

} // namespace meru::test
