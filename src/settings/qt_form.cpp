#include "settings/qt_form.h"

#include "platform/dialogs.h"
#include "ui/context.h"
#include "ui/listsel.h"

namespace meru::settings {

int QtFormDialog::run(int id, Form& form)
{
    auto d = platform::Dialog::load(ctx_.dialogs, id, ctx_.host);
    if (!d) return kMissing;
    for (const auto& [control, items] : form.items) {
        d->set_int(control, static_cast<int>(items.size()), platform::kNumItems);
        int selected = 0;
        for (std::size_t j = 0; j < items.size(); ++j) {
            d->set_text(control, items[j], static_cast<int>(j) + 1);
            if (items[j] == form.choice[control]) selected = static_cast<int>(j) + 1;
        }
        if (selected > 0) d->set_int(control, selected, 1);
    }
    for (const auto& [control, text] : form.text) d->set_text(control, text);
    // Radio buttons are set only when on: setting one off could leave its group empty.
    for (const auto& [control, value] : form.on)
        if (value) d->set_logical(control, true);
    for (const auto& [list, caption] : form.captions) {
        const std::vector<std::string>& items = form.items[list];
        if (!form.choice[list].empty()) d->set_text(caption.first, caption.second + form.choice[list]);
        d->set_callback(list, [&items, caption](platform::Dialog& dialog, int control, platform::CallbackKind) {
            int k = 0;
            if (dialog.get_int(control, k, 1) && k >= 1 && k <= static_cast<int>(items.size()))
                dialog.set_text(caption.first, caption.second + items[static_cast<std::size_t>(k) - 1]);
        });
    }
    const int closed = d->run_modal();
    for (auto& [control, text] : form.text) d->get_text(control, text);
    for (auto& [control, value] : form.on) d->get_logical(control, value);
    for (const auto& [control, items] : form.items) {
        int k = 0;
        if (d->get_int(control, k, 1) && k >= 1 && k <= static_cast<int>(items.size()))
            form.choice[control] = items[static_cast<std::size_t>(k) - 1];
    }
    for (auto& [control, picked] : form.picked) {
        std::vector<bool> flags;
        ui::select_flags(*d, control, flags);
        const std::size_t n = form.items[control].size();
        picked.assign(n, false);
        for (std::size_t j = 0; j < n; ++j) picked[j] = j + 1 < flags.size() && flags[j + 1];
    }
    return closed;
}

} // namespace meru::settings
