#include "outcome/qt_ydialogs.h"

#include "platform/dialogs.h"
#include "ui/context.h"
#include "ui/listsel.h"

namespace meru::outcome {

int QtYDialogs::list_dialog(int dialog, int list, const std::vector<std::string>& items, std::vector<bool>& selected)
{
    auto d = platform::Dialog::load(ctx_.dialogs, dialog, ctx_.host);
    if (!d) return kDialogMissing;
    d->set_int(list, static_cast<int>(items.size()), platform::kNumItems);
    for (std::size_t j = 0; j < items.size(); ++j) d->set_text(list, items[j], static_cast<int>(j) + 1);
    const int id = d->run_modal();
    std::vector<bool> flags;
    ui::select_flags(*d, list, flags);
    selected.assign(items.size(), false);
    for (std::size_t j = 0; j < items.size(); ++j) selected[j] = j + 1 < flags.size() && flags[j + 1];
    return id;
}

int QtYDialogs::select_y(const std::vector<std::string>& names, std::vector<bool>& selected)
{
    return list_dialog(ids::kSelectY, ids::kSelectList, names, selected);
}

int QtYDialogs::attribute_y(const std::vector<std::string>& items, std::vector<bool>& selected)
{
    return list_dialog(ids::kAttributeY, ids::kAttributeList, items, selected);
}

int QtYDialogs::discrete(DiscreteView& v)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kDiscrete, ctx_.host);
    if (!d) return kDialogMissing;
    d->set_text(ids::kVariable, v.variable);
    d->set_logical(ids::kNoFragment, v.nofrag);
    d->set_logical(ids::kNominal, v.nominal);
    d->set_logical(ids::kOrdinal, v.ordinal);
    d->set_logical(ids::kDescending, v.descending);
    d->set_text(ids::kOrderText, v.order);
    d->set_text(ids::kNewOrderText, v.neworder);
    d->set_text(ids::kFrequencyText, v.frequency);
    const int id = d->run_modal();
    d->get_logical(ids::kNoFragment, v.nofrag);
    d->get_logical(ids::kNominal, v.nominal);
    d->get_logical(ids::kOrdinal, v.ordinal);
    d->get_logical(ids::kDescending, v.descending);
    d->get_text(ids::kNewOrderText, v.neworder);
    return id;
}

} // namespace meru::outcome
