#include "mainloop/tree_rules_dialog.h"

#include "platform/io/edit.h"
#include "platform/io/strings.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace meru::mainloop {

namespace {

// The whole entry as a number, or nothing.
template <class T> std::optional<T> number(const std::string& text)
{
    const std::string s = io::trim(text);
    T v{};
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc{} || end != s.data() + s.size()) return std::nullopt;
    return v;
}

std::string shown(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

} // namespace

int tree_rules_dialog(settings::FormDialog& dialog, tree::TreeRules& rules,
                      const std::function<void(std::string)>& refuse)
{
    using namespace tree_rules_ids;
    settings::Form form;
    form.text[kParentMin] = std::to_string(rules.parentmin);
    form.text[kTerminalMin] = std::to_string(rules.terminalmin);
    form.text[kCritical] = shown(rules.tcrit);
    form.on[kSameStop] = rules.samestop;
    for (;;) {
        const int closing = dialog.run(kDialog, form);
        if (closing == settings::kMissing) return closing;
        if (closing != settings::kOk) return settings::kCancel;
        const auto parent = number<int>(form.text[kParentMin]);
        const auto terminal = number<int>(form.text[kTerminalMin]);
        const auto critical = number<double>(form.text[kCritical]);
        if (!parent || *parent < 2) {
            refuse("Parent-node minimum n must be a whole number of at least 2$");
        } else if (!terminal || *terminal < 1) {
            refuse("Minimum terminal node n must be a whole number of at least 1$");
        } else if (!critical || !std::isfinite(*critical) || *critical < 0) {
            refuse("Critical t or z must be a number of at least 0$");
        } else {
            rules = {*parent, *terminal, *critical, form.is_on(kSameStop)};
            return settings::kOk;
        }
    }
}

std::string tree_rules_line(const tree::TreeRules& rules)
{
    return " Tree stopping rules: parent n>=" + io::fmt_i(rules.parentmin, 4) + ", terminal n>=" +
           io::fmt_i(rules.terminalmin, 4) + ", t or z>=" + io::fmt_f(rules.tcrit, 6, 3) +
           (rules.samestop ? ", same class not split" : ", same class split");
}

} // namespace meru::mainloop
