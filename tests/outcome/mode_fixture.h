#pragma once
// The Y menu's by-group, distribution and Transform modes on an example data
// set: their dialogs answered from queues, the quit notes answered in turn and
// every distribution window recorded with its arguments.
#include "outcome/mode_dialogs.h"
#include "outcome/ymenu_fixture.h"
#include "platform/io/strings.h"

namespace meru::test {

// One distribution window as it was asked for.
struct PlotRecord {
    std::vector<double> x;
    std::vector<long long> w;
    long long nobs = 0;
    std::string title, name, group_label;
    bool overlay = false, interactive = false, mark = false, discrete = false, integer_ticks = false, open = false;
    double lower = 0, upper = 0, markvalue = 0;
    std::vector<int> categories;
};

class ScriptedModeDialogs : public outcome::ModeDialogs {
public:
    using ListAnswer = ScriptedYDialogs::ListAnswer;
    std::deque<std::function<int(outcome::ByVariableView&)>> by_steps;
    std::vector<outcome::ByVariableView> by_seen;
    std::deque<ListAnswer> groups;
    std::vector<std::vector<std::string>> group_lists;
    std::deque<ListAnswer> variables;
    std::vector<std::string> prompts;
    std::deque<std::function<int(outcome::TransformView&)>> transform_steps;
    std::vector<outcome::TransformView> transform_seen;
    std::deque<int> quit_answers; // 1 when empty
    std::vector<std::string> quit_notes;
    std::vector<PlotRecord> plots;

    int by_variable(outcome::ByVariableView& view) override
    {
        by_seen.push_back(view);
        return step(by_steps, view, "by-group dialog");
    }
    int attribute_groups(const std::vector<std::string>& items, std::vector<bool>& selected) override
    {
        group_lists.push_back(items);
        return ScriptedYDialogs::answer(groups, items, selected);
    }
    int distribution_variable(const std::string& prompt, const std::vector<std::string>& names,
                              std::vector<bool>& selected) override
    {
        prompts.push_back(prompt);
        return ScriptedYDialogs::answer(variables, names, selected);
    }
    int transform(outcome::TransformView& view) override
    {
        transform_seen.push_back(view);
        return step(transform_steps, view, "Transform dialog");
    }
    int quit_note(const std::string& text) override
    {
        quit_notes.push_back(text);
        if (quit_answers.empty()) return 1;
        const int a = quit_answers.front();
        quit_answers.pop_front();
        return a;
    }
    int distribution_plot(plots::DistCall& c) override
    {
        PlotRecord r{{c.x.begin(), c.x.end()},
                     {c.w.begin(), c.w.end()},
                     c.nobs,
                     c.title,
                     c.name,
                     c.group_label,
                     c.overlay,
                     c.interactive,
                     c.mark,
                     c.discrete,
                     c.integer_ticks,
                     c.open,
                     c.lower,
                     c.upper,
                     c.markvalue,
                     {c.categories.begin(), c.categories.end()}};
        plots.push_back(r);
        return 0;
    }

    // Picks variable `item` (from 1) with the radio buttons set and OK.
    static std::function<int(outcome::ByVariableView&)> pick(int item, bool byvalue, int id = outcome::kOk)
    {
        return [=](outcome::ByVariableView& v) {
            v.byvalue = byvalue;
            v.byattribute = !byvalue;
            if (item >= 1) v.selected[static_cast<std::size_t>(item - 1)] = true;
            return id;
        };
    }

private:
    template <class View> static int step(std::deque<std::function<int(View&)>>& q, View& view, const char* what)
    {
        if (q.empty()) {
            ADD_FAILURE() << what << " shown without an answer";
            return outcome::kCancel;
        }
        auto f = q.front();
        q.pop_front();
        return f(view);
    }
};

using io::rtrim;

} // namespace meru::test
