#pragma once
// The scatter plot's dialogs on the platform's dialog library (templates 103, 9113).
#include "outcome/scatter_dialogs.h"

namespace meru::ui {
struct Context;
}

namespace meru::outcome {

class QtScatterDialogs final : public ScatterDialogs {
public:
    explicit QtScatterDialogs(ui::Context& ctx) : ctx_(ctx) {}
    int scatter(const std::vector<std::string>& names, int& y, int& x) override;
    int third(ZView& view) override;

private:
    ui::Context& ctx_;
};

} // namespace meru::outcome
