#pragma once
// The Y menu's dialogs on the platform's dialog library (templates 102, 147, 148).
#include "outcome/ydialogs.h"

namespace meru::ui {
struct Context;
}

namespace meru::outcome {

class QtYDialogs final : public YDialogs {
public:
    explicit QtYDialogs(ui::Context& ctx) : ctx_(ctx) {}
    int select_y(const std::vector<std::string>& names, std::vector<bool>& selected) override;
    int attribute_y(const std::vector<std::string>& items, std::vector<bool>& selected) override;
    int discrete(DiscreteView& view) override;

private:
    int list_dialog(int dialog, int list, const std::vector<std::string>& items, std::vector<bool>& selected);
    ui::Context& ctx_;
};

} // namespace meru::outcome
