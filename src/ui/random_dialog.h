#pragma once
// The Random partitions dialog (dialog 124) on the platform's dialog library, for
// Process > Random (ui/random_run.h).
#include "ui/random_run.h"

namespace meru::ui {

struct Context;

class QtRandomDialog final : public RandomDialog {
public:
    explicit QtRandomDialog(Context& ctx) : ctx_(ctx) {}
    int run(RandomDialogView& view) override;

private:
    Context& ctx_;
};

} // namespace meru::ui
