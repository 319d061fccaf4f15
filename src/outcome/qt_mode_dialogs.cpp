#include "outcome/qt_mode_dialogs.h"

#include "platform/dialogs.h"
#include "ui/context.h"
#include "ui/listsel.h"
#include "ui/messages.h"

namespace meru::outcome {

namespace {

void fill_list(platform::Dialog& d, int list, const std::vector<std::string>& items)
{
    d.set_int(list, static_cast<int>(items.size()), platform::kNumItems);
    for (std::size_t j = 0; j < items.size(); ++j) d.set_text(list, items[j], static_cast<int>(j) + 1);
}

// The items selected in `list` (one flag per item); false when none is.
bool read_selection(const platform::Dialog& d, int list, std::size_t n, std::vector<bool>& selected)
{
    std::vector<bool> flags;
    ui::select_flags(d, list, flags);
    std::vector<bool> out(n, false);
    bool any = false;
    for (std::size_t j = 0; j < n; ++j) {
        out[j] = j + 1 < flags.size() && flags[j + 1];
        any = any || out[j];
    }
    if (any) selected = out;
    return any;
}

} // namespace

int QtModeDialogs::by_variable(ByVariableView& v)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kByVariable, ctx_.host);
    if (!d) return kDialogMissing;
    fill_list(*d, ids::kByList, v.names);
    d->set_logical(ids::kByValue, v.byvalue);
    d->set_logical(ids::kByAttribute, v.byattribute);
    const int id = d->run_modal();
    d->get_logical(ids::kByValue, v.byvalue);
    d->get_logical(ids::kByAttribute, v.byattribute);
    v.selected.assign(v.names.size(), false);
    read_selection(*d, ids::kByList, v.names.size(), v.selected);
    return id;
}

int QtModeDialogs::attribute_groups(const std::vector<std::string>& items, std::vector<bool>& selected)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kAttributeGroups, ctx_.host);
    if (!d) return kDialogMissing;
    fill_list(*d, ids::kGroupList, items);
    const int id = d->run_modal();
    selected.assign(items.size(), false);
    read_selection(*d, ids::kGroupList, items.size(), selected);
    return id;
}

int QtModeDialogs::distribution_variable(const std::string& prompt, const std::vector<std::string>& names,
                                         std::vector<bool>& selected)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kDistribution, ctx_.host);
    if (!d) return kDialogMissing;
    d->set_text(ids::kDistPrompt, prompt);
    fill_list(*d, ids::kDistList, names);
    const int id = d->run_modal();
    selected.assign(names.size(), false);
    read_selection(*d, ids::kDistList, names.size(), selected);
    return id;
}

int QtModeDialogs::transform(TransformView& v)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kTransform, ctx_.host);
    if (!d) return kDialogMissing;
    d->set_text(ids::kNewName, v.name);
    d->set_text(ids::kValuesText, v.values);
    fill_list(*d, ids::kY1List, v.names);
    fill_list(*d, ids::kY2List, v.names);
    fill_list(*d, ids::kTransformList, v.transforms);
    const int id = d->run_modal();
    if (id == kCancel) return id;
    d->get_text(ids::kNewName, v.name);
    d->get_text(ids::kValuesText, v.values);
    // A list left untouched keeps the flags its callback recorded before.
    read_selection(*d, ids::kY1List, v.names.size(), v.y1);
    read_selection(*d, ids::kY2List, v.names.size(), v.y2);
    read_selection(*d, ids::kTransformList, v.transforms.size(), v.transform);
    return id;
}

int QtModeDialogs::quit_note(const std::string& text)
{
    std::string t = text;
    return ui::note(ctx_, t, NoteKind::Quit, false);
}

int QtModeDialogs::distribution_plot(plots::DistCall& call)
{
    dist_.bandwidth = 0; // the window chooses its width for a new plot
    return plots::yhist(ctx_, dist_, call);
}

} // namespace meru::outcome
