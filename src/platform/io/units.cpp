#include "platform/io/units.h"

namespace meru::platform {

UnitKind UnitRegistry::kind(int unit) const
{
    auto it = owners_.find(unit);
    return it == owners_.end() ? UnitKind::none : it->second;
}

bool UnitRegistry::claim(int unit, UnitKind kind)
{
    if (kind == UnitKind::none) return false;
    auto [it, inserted] = owners_.try_emplace(unit, kind);
    return inserted || it->second == kind;
}

void UnitRegistry::release(int unit, UnitKind kind)
{
    auto it = owners_.find(unit);
    if (it != owners_.end() && it->second == kind) owners_.erase(it);
}

} // namespace meru::platform
