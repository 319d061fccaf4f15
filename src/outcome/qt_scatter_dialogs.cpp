#include "outcome/qt_scatter_dialogs.h"

#include "platform/dialogs.h"
#include "ui/context.h"
#include "ui/listsel.h"

namespace meru::outcome {
namespace {

void fill(platform::Dialog& d, int list, const std::vector<std::string>& items)
{
    d.set_int(list, static_cast<int>(items.size()), platform::kNumItems);
    for (std::size_t j = 0; j < items.size(); ++j) d.set_text(list, items[j], static_cast<int>(j) + 1);
}

// The first item whose flag the list's callback left set (from 1), 0 for none.
int first_selected(const std::vector<bool>& flags, std::size_t n)
{
    for (std::size_t j = 1; j <= n && j < flags.size(); ++j)
        if (flags[j]) return static_cast<int>(j);
    return 0;
}

} // namespace

int QtScatterDialogs::scatter(const std::vector<std::string>& names, int& y, int& x)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kScatter, ctx_.host);
    if (!d) return kDialogMissing;
    ui::Selections sel;
    sel.selflag.assign(names.size() + 2, false);
    sel.yselflag.assign(names.size() + 2, false);
    fill(*d, ids::kScatterY, names);
    fill(*d, ids::kScatterX, names);
    d->set_callback(ids::kScatterY, ui::lbsel_callback(sel));
    d->set_callback(ids::kScatterX, ui::lbsely_callback(sel));
    const int id = d->run_modal();
    ui::select_flags(*d, ids::kScatterY, sel.selflag);
    ui::select_flags(*d, ids::kScatterX, sel.yselflag);
    y = first_selected(sel.selflag, names.size());
    x = first_selected(sel.yselflag, names.size());
    return id;
}

int QtScatterDialogs::third(ZView& v)
{
    auto d = platform::Dialog::load(ctx_.dialogs, ids::kThirdZ, ctx_.host);
    if (!d) return kDialogMissing;
    ui::Selections sel;
    sel.selflag.assign(v.attributes.size() + 2, false);
    sel.yselflag.assign(v.variables.size() + 2, false);
    fill(*d, ids::kZVarList, v.variables);
    d->set_logical(ids::kZRotate, v.rotate);
    d->set_logical(ids::kZSize, v.size);
    d->set_logical(ids::kZDistinguish, v.distinguish);
    d->set_text(ids::kZVarText, v.variable_text);
    d->set_callback(ids::kZVarList, ui::lbsely_callback(sel));
    fill(*d, ids::kZAttrList, v.attributes);
    d->set_text(ids::kZAttrText, v.attribute_text);
    d->set_callback(ids::kZAttrList, ui::lbsel_callback(sel));
    const int id = d->run_modal();
    d->get_logical(ids::kZRotate, v.rotate);
    d->get_logical(ids::kZSize, v.size);
    d->get_logical(ids::kZDistinguish, v.distinguish);
    ui::select_flags(*d, ids::kZVarList, sel.yselflag);
    ui::select_flags(*d, ids::kZAttrList, sel.selflag);
    v.variable = first_selected(sel.yselflag, v.variables.size());
    v.attribute = first_selected(sel.selflag, v.attributes.size());
    return id;
}

} // namespace meru::outcome
