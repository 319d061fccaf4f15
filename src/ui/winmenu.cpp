#include "ui/winmenu.h"

#include <string>

namespace meru::ui {

void winmenu(platform::Menus& menus, WindowMenu& windows, int unit, std::string_view text,
             platform::MenuRoutine routine)
{
    WindowEntry& e = windows.units[unit];
    const std::string item = std::string(text) + " ";
    const bool present = e.handle != 0 && menus.position(e.handle).first != 0;
    if (e.open && present) {
        menus.set_text(e.handle, item);
        return;
    }
    e.open = true;
    if (present) {
        menus.set_flags(e.handle, platform::kMenuEnabled);
        return;
    }
    e.handle = menus.append(kWindowMenu, platform::kMenuEnabled, item, std::move(routine));
}

void winmenu_closed(WindowMenu& windows, int unit)
{
    auto it = windows.units.find(unit);
    if (it != windows.units.end()) it->second.open = false;
}

} // namespace meru::ui
