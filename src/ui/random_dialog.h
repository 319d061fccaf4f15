#pragma once
// The Random partitions dialog (dialog 124) on the platform's dialog library, for
// Process > Random (stats/random_partitions.h).
#include "stats/random_partitions.h"

namespace meru::ui {

struct Context;

class QtRandomDialog final : public stats::RandomDialog {
public:
    explicit QtRandomDialog(Context& ctx) : ctx_(ctx) {}
    int run(stats::RandomDialogView& view) override;

private:
    Context& ctx_;
};

} // namespace meru::ui
