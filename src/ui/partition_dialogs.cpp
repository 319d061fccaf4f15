#include "ui/partition_dialogs.h"

#include "platform/dialogs.h"
#include "ui/context.h"
#include "ui/listsel.h"

namespace meru::ui {

namespace ids = manpart_ids;

namespace {

// Fills list `id` with `items` and selects those marked in `selected`.
void fill_list(platform::Dialog& d, int id, const std::vector<std::string>& items, const std::vector<bool>& selected)
{
    d.set_int(id, static_cast<int>(items.size()), platform::kNumItems);
    for (size_t j = 0; j < items.size(); ++j) d.set_text(id, items[j], static_cast<int>(j) + 1);
    int k = 0;
    for (size_t j = 0; j < selected.size() && j < items.size(); ++j)
        if (selected[j]) d.set_int(id, static_cast<int>(j) + 1, ++k);
    d.set_int(id, 0, k + 1);
}

// The list's selection as one flag per item (item j at index j - 1).
void read_selection(const platform::Dialog& d, int id, size_t n, std::vector<bool>& selected)
{
    std::vector<bool> flags;
    select_flags(d, id, flags);
    selected.assign(n, false);
    for (size_t j = 0; j < n; ++j) selected[j] = j + 1 < flags.size() && flags[j + 1];
}

} // namespace

int QtPartitionDialogs::manual(ManualView& view)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kManualDialog, ctx_.host);
    if (!d) return kDialogMissing;
    d->set_text(ids::kListCaption, "Attributes numbered as follows:");
    d->set_text(ids::kText, view.text);
    d->set_logical(ids::kAminus, view.aminus);
    d->set_logical(ids::kSimplify, view.simplify);
    fill_list(*d, ids::kList, view.entries, view.selected);
    const int id = d->run_modal();
    d->get_text(ids::kText, view.text);
    d->get_logical(ids::kAminus, view.aminus);
    d->get_logical(ids::kSimplify, view.simplify);
    read_selection(*d, ids::kList, view.entries.size(), view.selected);
    return id;
}

int QtPartitionDialogs::combination(const std::vector<std::string>& lines, std::vector<bool>& selected)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kCombinationDialog, ctx_.host);
    if (!d) return kDialogMissing;
    d->set_text(ids::kComboCaption, "Control file Boolean combination");
    fill_list(*d, ids::kComboList, lines, selected);
    const int id = d->run_modal();
    read_selection(*d, ids::kComboList, lines.size(), selected);
    return id;
}

} // namespace meru::ui
