#pragma once
// A FormDialog fake for tests: each showing runs the next step of a queue, which
// may change the form as a user would and returns the closing control. It
// records the id of every dialog shown and the forms as they were shown.
#include "settings/form.h"

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace meru::test {

class ScriptedForms : public settings::FormDialog {
public:
    using Step = std::function<int(settings::Form&)>;
    std::deque<Step> steps;            // an empty queue cancels
    std::vector<int> shown;            // dialog ids, in order
    std::vector<settings::Form> forms; // each form as shown
    bool missing = false;              // every template is missing

    int run(int id, settings::Form& form) override
    {
        if (missing) return settings::kMissing;
        shown.push_back(id);
        forms.push_back(form);
        if (steps.empty()) return settings::kCancel;
        Step step = std::move(steps.front());
        steps.pop_front();
        return step(form);
    }

    // A step that sets texts and check states, then closes with `closing`.
    static Step fill(std::vector<std::pair<int, std::string>> texts, std::vector<std::pair<int, bool>> checks = {},
                     int closing = settings::kOk)
    {
        return [texts = std::move(texts), checks = std::move(checks), closing](settings::Form& f) {
            for (const auto& [id, text] : texts) f.text[id] = text;
            for (const auto& [id, on] : checks) f.on[id] = on;
            return closing;
        };
    }
    static Step press(int closing)
    {
        return [closing](settings::Form&) { return closing; };
    }
};

} // namespace meru::test
