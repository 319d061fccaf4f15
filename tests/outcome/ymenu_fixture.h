#pragma once
// The Y menu on an example data set: the control file and data read as an
// opening reads them, the outcome and Y columns as the open analysis holds them,
// recording services, a captured log and dialogs answered from a script.
#include "support/reported_data.h"
#include "outcome/ymenu.h"
#include "stats/log_capture.h"
#include "support/recording_services.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>
#include <sstream>

namespace meru::test {

// Dialogs answered in order from queues; a dialog with no answer left fails the
// test and is cancelled.
class ScriptedYDialogs : public outcome::YDialogs {
public:
    struct ListAnswer {
        int id = outcome::kOk;
        std::vector<int> items; // item numbers selected (from 1)
    };
    std::deque<ListAnswer> select;
    std::deque<ListAnswer> attributes;
    std::deque<std::function<int(outcome::DiscreteView&)>> discrete_steps;
    std::vector<outcome::DiscreteView> discrete_seen; // each view as it was shown
    std::vector<std::vector<std::string>> attribute_lists;
    int select_shown = 0;

    int select_y(const std::vector<std::string>& names, std::vector<bool>& selected) override
    {
        ++select_shown;
        return answer(select, names, selected);
    }
    int attribute_y(const std::vector<std::string>& items, std::vector<bool>& selected) override
    {
        attribute_lists.push_back(items);
        return answer(attributes, items, selected);
    }
    int discrete(outcome::DiscreteView& view) override
    {
        discrete_seen.push_back(view);
        if (discrete_steps.empty()) {
            ADD_FAILURE() << "discrete-Y dialog shown without an answer";
            return outcome::kCancel;
        }
        auto step = discrete_steps.front();
        discrete_steps.pop_front();
        return step(view);
    }

    // The next answer of `q` for a list of `items`.
    static int answer(std::deque<ListAnswer>& q, const std::vector<std::string>& items, std::vector<bool>& selected)
    {
        if (q.empty()) {
            ADD_FAILURE() << "list dialog shown without an answer";
            return outcome::kCancel;
        }
        const ListAnswer a = q.front();
        q.pop_front();
        selected.assign(items.size(), false);
        for (int j : a.items)
            if (j >= 1 && j <= static_cast<int>(items.size())) selected[static_cast<std::size_t>(j - 1)] = true;
        return a.id;
    }
};

inline std::string read_text(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// An example control file (its data-file line replaced by DATA) with its data.
inline std::unique_ptr<DataRun> read_example(const std::string& stem)
{
    std::string cf = read_text(std::string(MERU_EXAMPLES_DIR) + "/" + stem + ".mrc");
    const std::string data_line = stem + ".csv";
    cf.replace(cf.find(data_line), data_line.size(), "DATA");
    return run_data(cf, read_text(std::string(MERU_EXAMPLES_DIR) + "/" + stem + ".csv"), stem + ".csv");
}

class YMenuTest : public ::testing::Test {
protected:
    void open(std::unique_ptr<DataRun> r)
    {
        run = std::move(r);
        ASSERT_GT(run->r.nread, 0);
        y = outcome::first_variable_outcome(run->t.vars.varname[1]);
        ymat.assign(static_cast<std::size_t>(run->d.n) * 5, 0.0f);
        mask.assign(static_cast<std::size_t>(run->d.n), 1);
        nobsin = run->r.nobsin;
        yoffered = true;
    }
    void open_example(const std::string& stem) { open(read_example(stem)); }

    outcome::YMode call(outcome::YItems items)
    {
        outcome::YMenuContext cx{y,
                                 run->t,
                                 run->d,
                                 run->r.nread,
                                 ymat,
                                 mask,
                                 run->r.marks.charflag,
                                 nobsin,
                                 by,
                                 maxiter,
                                 maxitertext,
                                 msgline,
                                 items,
                                 yoffered,
                                 sv,
                                 log.log,
                                 dialogs,
                                 [this](const std::string& t) { oktext = t; }};
        const outcome::YMode mode = outcome::ymenu(cx);
        yabandon = cx.yabandon;
        if (!yabandon && y.yenabled) yoffered = false;
        return mode;
    }
    outcome::YMode ok() { return call({.ok = true}); }
    outcome::YMode select() { return call({.sel = true}); }

    int var(const std::string& name) const { return run->var(name); }
    float yv(int i, int k) const { return ymat[static_cast<std::size_t>(k - 1) * run->d.n + (i - 1)]; }
    bool logged(const std::string& line) const
    {
        return std::find(log.lines.begin(), log.lines.end(), line) != log.lines.end();
    }
    bool called(const std::string& call) const
    {
        return std::find(sv.calls.begin(), sv.calls.end(), call) != sv.calls.end();
    }

    std::unique_ptr<DataRun> run;
    outcome::Outcome y;
    std::vector<float> ymat;
    std::vector<char> mask;
    long long nobsin = 0;
    outcome::ByGroup by;
    int maxiter = 0;
    std::string maxitertext;
    std::string msgline;
    std::string oktext;
    bool yoffered = true;
    bool yabandon = false;
    RecordingServices sv;
    LogCapture log;
    ScriptedYDialogs dialogs;
};

} // namespace meru::test
