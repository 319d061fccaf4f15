#pragma once
// The dialogs and windows of the by-group, distribution and Transform modes on
// the platform's dialog library (templates 15, 16, 137, 139), the quit note and
// the distribution window.
#include "outcome/mode_dialogs.h"

namespace meru::ui {
struct Context;
}

namespace meru::outcome {

class QtModeDialogs final : public ModeDialogs {
public:
    QtModeDialogs(ui::Context& ctx, plots::DistWindowState& dist) : ctx_(ctx), dist_(dist) {}
    int by_variable(ByVariableView& view) override;
    int attribute_groups(const std::vector<std::string>& items, std::vector<bool>& selected) override;
    int distribution_variable(const std::string& prompt, const std::vector<std::string>& names,
                              std::vector<bool>& selected) override;
    int transform(TransformView& view) override;
    int quit_note(const std::string& text) override;
    int distribution_plot(plots::DistCall& call) override;

private:
    ui::Context& ctx_;
    plots::DistWindowState& dist_;
};

} // namespace meru::outcome
