// The controls of a dialog as a script names them: by id or by label, and set
// as a user would set them.
#include "platform/dialog_impl.h"
#include "platform/io/strings.h"

namespace meru::platform {

std::optional<int> Dialog::find_control(std::string_view id_or_label) const
{
    int id = 0;
    if (io::to_int(id_or_label, id)) return has_control(id) ? std::optional<int>(id) : std::nullopt;
    const std::string want = fold_label(io::unquote(id_or_label));
    const auto& cs = impl_->controls;
    for (size_t i = 0; i < cs.size(); ++i) {
        const auto label = cs[i]->label();
        if (!label || fold_label(*label) != want) continue;
        if (cs[i]->kind() != ControlKind::Static) return cs[i]->id();
        if (i + 1 < cs.size() && cs[i + 1]->is_field()) return cs[i + 1]->id();
    }
    return std::nullopt;
}

bool Dialog::user_set(int control, std::string_view value, std::string& why)
{
    auto* c = impl_->find(control);
    if (!c) {
        why = "no such control";
        return false;
    }
    if (!c->widget()->isEnabled()) {
        why = "it is disabled";
        return false;
    }
    return c->user_set(value, why);
}

} // namespace meru::platform
