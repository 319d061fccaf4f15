#include "mainloop/recent.h"

#include "mainloop/menubar.h"
#include "mainloop/program.h"
#include "platform/frame.h"
#include "ui/messages.h"
#include "ui/msgtext.h"

#include <algorithm>

namespace meru::mainloop {

namespace {

std::string item_text(const std::string& path) { return ui::squeeze(path) + " "; }

void append_item(Program& p, int k)
{
    const std::string& path = p.prefs.recent[static_cast<size_t>(k - 1)];
    // A choice kept until it is served names its file, wherever the list has moved it.
    const auto pick = [&p, path] {
        const auto at = std::find(p.prefs.recent.begin(), p.prefs.recent.end(), path);
        if (at != p.prefs.recent.end()) recentpick(p, static_cast<int>(at - p.prefs.recent.begin()) + 1);
    };
    p.recent_items.push_back(p.menus.append(kFileMenu, platform::kMenuEnabled, item_text(path), chosen(p, Step::file, pick)));
}

// Rewrites the file from the preferences image as it stands.
void write_image(Program& p)
{
    if (const std::string why = write_preferences(p.prefs_path, p.prefs); !why.empty()) {
        std::string text = "ERROR: Cannot write the preferences file " + p.prefs_path + " (" + why + ")$";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
    }
}

} // namespace

void append_recent_items(Program& p)
{
    const int count = static_cast<int>(p.prefs.recent.size());
    if (count == 0) return;
    if (p.frame.active() == platform::no_window) p.frame.set_active(kProgressUnit);
    p.recent_separator = p.menus.append(kFileMenu, platform::kMenuSeparator, "");
    for (int k = 1; k <= count; ++k) append_item(p, k);
}

void prefwrite(Program& p)
{
    p.prefs.options_line = options_line(p.options);
    write_image(p);
}

void recentmenu(Program& p, bool newitem)
{
    write_image(p);
    const int count = static_cast<int>(p.prefs.recent.size());
    for (int k = 1; k <= count && k <= static_cast<int>(p.recent_items.size()); ++k)
        p.menus.set_text(p.recent_items[static_cast<size_t>(k - 1)],
                         item_text(p.prefs.recent[static_cast<size_t>(k - 1)]));
    if (newitem && static_cast<int>(p.recent_items.size()) < count) {
        if (p.recent_separator == 0) p.recent_separator = p.menus.append(kFileMenu, platform::kMenuSeparator, "");
        append_item(p, count);
    }
}

void recentpick(Program& p, int k)
{
    p.flags.qfile = true;
    p.flags.recentix = k;
}

} // namespace meru::mainloop
