#include "ui/random_dialog.h"

#include "platform/dialogs.h"
#include "ui/context.h"

namespace meru::ui {

namespace ids = random_ids;

int QtRandomDialog::run(RandomDialogView& view)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kDialog, ctx_.host);
    if (!d) return ids::kDialogMissing;
    d->set_text(ids::kHeader, view.header);
    d->set_text(ids::kNumber, view.number);
    d->set_logical(ids::kMimic, view.mode == SplitMode::Mimic);
    d->set_logical(ids::kUniform, view.mode == SplitMode::Uniform);
    d->set_logical(ids::kFixed, view.mode == SplitMode::Fixed);
    d->set_text(ids::kPercent, view.percent);
    const int id = d->run_modal();
    d->get_text(ids::kNumber, view.number);
    d->get_text(ids::kPercent, view.percent);
    bool on = false;
    if (d->get_logical(ids::kMimic, on) && on) view.mode = SplitMode::Mimic;
    else if (d->get_logical(ids::kFixed, on) && on) view.mode = SplitMode::Fixed;
    else view.mode = SplitMode::Uniform;
    return id;
}

} // namespace meru::ui
