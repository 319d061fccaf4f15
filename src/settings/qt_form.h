#pragma once
// The settings dialogs on the platform's dialog library: a Form shown through
// its dialog template.
#include "settings/form.h"

namespace meru::ui {
struct Context;
}

namespace meru::settings {

class QtFormDialog final : public FormDialog {
public:
    explicit QtFormDialog(ui::Context& ctx) : ctx_(ctx) {}
    int run(int id, Form& form) override;

private:
    ui::Context& ctx_;
};

} // namespace meru::settings
