#include "platform/menus.h"

#include "platform/qtext.h"

#include "platform/io/strings.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <cctype>

namespace meru::platform {

struct Menus::Entry {
    MenuHandle handle = 0;
    QAction* action = nullptr;
    std::string text;
    bool enabled = true;
    bool held = false; // greyed by hold() whatever `enabled` says
    bool checked = false;
    bool separator = false;
    MenuRoutine routine;
};

struct Menus::Menu {
    Entry title;
    QMenu* dropdown = nullptr; // null for a command title
    std::vector<Entry> items;
};

namespace {

bool same_text(std::string_view a, std::string_view b) { return io::iequals(plain_menu_text(a), plain_menu_text(b)); }

} // namespace

std::string plain_menu_text(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') out += text[++i];
            continue;
        }
        out += text[i];
    }
    return io::trim(out, " \t");
}

Menus::Menus(QMenuBar* bar) : bar_(bar), context_(std::make_unique<QObject>()) {}

Menus::~Menus() = default;

QMenuBar* Menus::bar() const { return bar_; }
int Menus::count() const { return static_cast<int>(menus_.size()); }
int Menus::off_depth() const { return off_depth_; }

int Menus::item_count(int menu) const
{
    if (menu < 1 || menu > count()) return -1;
    return static_cast<int>(menus_[menu - 1].items.size());
}

Menus::Entry* Menus::entry(int menu, int item)
{
    if (menu < 1 || menu > count()) return nullptr;
    Menu& m = menus_[menu - 1];
    if (item == 0) return &m.title;
    if (item < 1 || item > static_cast<int>(m.items.size())) return nullptr;
    return &m.items[item - 1];
}

const Menus::Entry* Menus::entry(int menu, int item) const { return const_cast<Menus*>(this)->entry(menu, item); }

bool Menus::locate(MenuHandle h, int& menu, int& item) const
{
    if (h <= 0) return false;
    for (int m = 0; m < count(); ++m) {
        if (menus_[m].title.handle == h) {
            menu = m + 1;
            item = 0;
            return true;
        }
        for (size_t i = 0; i < menus_[m].items.size(); ++i)
            if (menus_[m].items[i].handle == h) {
                menu = m + 1;
                item = static_cast<int>(i) + 1;
                return true;
            }
    }
    return false;
}

void Menus::apply_item(Entry& e)
{
    if (!e.action) return;
    e.action->setEnabled(e.enabled && !e.held);
    if (e.checked && !e.action->isCheckable()) e.action->setCheckable(true);
    if (e.action->isCheckable()) e.action->setChecked(e.checked);
}

void Menus::apply(int menu)
{
    Menu& m = menus_[menu - 1];
    bool off = off_depth_ > 0 && menu >= 3 && menu <= 12;
    m.title.action->setEnabled(m.title.enabled && !off && !m.title.held);
    for (auto& e : m.items) apply_item(e);
}

void Menus::make_dropdown(Menu& m)
{
    // A command title that receives items becomes an ordinary drop-down menu.
    auto* dd = new QMenu(qs(m.title.text), bar_);
    QAction* old = m.title.action;
    bar_->insertMenu(old, dd);
    bar_->removeAction(old);
    delete old;
    m.dropdown = dd;
    m.title.action = dd->menuAction();
    m.title.routine = {};
}

MenuHandle Menus::append(int menu, int flags, std::string_view text, MenuRoutine routine)
{
    if (menu < 1 || menu > count() + 1) return 0;
    MenuHandle h = next_handle_++;
    auto connect = [this, h](QAction* a) {
        QObject::connect(a, &QAction::triggered, context_.get(), [this, h](bool) {
            int mm = 0, ii = 0;
            if (!locate(h, mm, ii)) return;
            Entry* e = entry(mm, ii);
            if (e->action->isCheckable()) // the check mark is the program's to set, not the click's
                e->action->setChecked(e->checked);
            MenuRoutine r = e->routine;
            bool checked = e->checked;
            if (r) r(checked);
        });
    };
    Entry e;
    e.handle = h;
    e.text = std::string(text);
    e.enabled = !(flags & (kMenuGrey | kMenuDisabled));
    e.checked = (flags & kMenuChecked) != 0;
    e.separator = (flags & kMenuSeparator) != 0;
    e.routine = std::move(routine);

    if (menu == count() + 1) {
        Menu m;
        if (e.routine) {
            e.action = new QAction(qs(text), bar_);
            bar_->addAction(e.action);
            connect(e.action);
        } else {
            m.dropdown = bar_->addMenu(qs(text));
            e.action = m.dropdown->menuAction();
        }
        m.title = std::move(e);
        menus_.push_back(std::move(m));
        apply(count());
        return h;
    }
    Menu& m = menus_[menu - 1];
    if (!m.dropdown) make_dropdown(m);
    if (e.separator) {
        e.action = m.dropdown->addSeparator();
    } else {
        e.action = m.dropdown->addAction(qs(text));
        if (flags & (kMenuChecked | kMenuUnchecked)) e.action->setCheckable(true);
        connect(e.action);
    }
    m.items.push_back(std::move(e));
    apply_item(m.items.back());
    return h;
}

bool Menus::remove(int menu, int item)
{
    if (item < 1 || !entry(menu, item)) return false;
    Menu& m = menus_[menu - 1];
    QAction* a = m.items[item - 1].action;
    m.dropdown->removeAction(a);
    delete a;
    m.items.erase(m.items.begin() + (item - 1));
    return true;
}

bool Menus::remove(MenuHandle handle)
{
    int m = 0, i = 0;
    return locate(handle, m, i) && remove(m, i);
}

bool Menus::set_flags(int menu, int item, int flags)
{
    Entry* e = entry(menu, item);
    if (!e) return false;
    if (flags & (kMenuGrey | kMenuDisabled)) e->enabled = false;
    else if (flags & kMenuEnabled) e->enabled = true;
    if (flags & kMenuChecked) e->checked = true;
    else if (flags & kMenuUnchecked) e->checked = false;
    if (item == 0) apply(menu);
    else apply_item(*e);
    return true;
}

bool Menus::set_flags(MenuHandle handle, int flags)
{
    int m = 0, i = 0;
    return locate(handle, m, i) && set_flags(m, i, flags);
}

bool Menus::set_text(int menu, int item, std::string_view text)
{
    Entry* e = entry(menu, item);
    if (!e || e->separator) return false;
    e->text = std::string(text);
    if (item == 0 && menus_[menu - 1].dropdown) menus_[menu - 1].dropdown->setTitle(qs(text));
    else e->action->setText(qs(text));
    return true;
}

bool Menus::set_text(MenuHandle handle, std::string_view text)
{
    int m = 0, i = 0;
    return locate(handle, m, i) && set_text(m, i, text);
}

MenuHandle Menus::handle(int menu, int item) const
{
    const Entry* e = entry(menu, item);
    return e ? e->handle : 0;
}

std::pair<int, int> Menus::position(MenuHandle handle) const
{
    int m = 0, i = 0;
    if (!locate(handle, m, i)) return {0, 0};
    return {m, i};
}

std::string Menus::text(int menu, int item) const
{
    const Entry* e = entry(menu, item);
    return e ? e->text : std::string();
}

bool Menus::enabled(int menu, int item) const
{
    const Entry* e = entry(menu, item);
    return e && e->enabled;
}

bool Menus::usable(int menu, int item) const
{
    const Entry* e = entry(menu, item);
    if (!e || e->separator) return false;
    const Entry& title = menus_[menu - 1].title;
    return title.action->isEnabled() && e->enabled && !e->held;
}

bool Menus::checked(int menu, int item) const
{
    const Entry* e = entry(menu, item);
    return e && e->checked;
}

void Menus::menu_off()
{
    if (off_depth_++ == 0)
        for (int m = 3; m <= std::min(12, count()); ++m) apply(m);
}

void Menus::menu_on()
{
    if (off_depth_ == 0) return;
    if (--off_depth_ == 0)
        for (int m = 3; m <= std::min(12, count()); ++m) apply(m);
}

void Menus::hold(std::initializer_list<std::pair<int, int>> items)
{
    for (const auto& [menu, item] : items) {
        Entry* e = entry(menu, item);
        if (!e) continue;
        e->held = true;
        if (item == 0) apply(menu);
        else apply_item(*e);
    }
}

void Menus::let_go()
{
    for (int m = 1; m <= count(); ++m) {
        Menu& menu = menus_[m - 1];
        menu.title.held = false;
        for (Entry& e : menu.items) e.held = false;
        apply(m);
    }
}

MenuHandle Menus::find(std::string_view title, std::string_view item) const
{
    for (const auto& m : menus_) {
        if (!same_text(m.title.text, title)) continue;
        if (plain_menu_text(item).empty()) return m.title.handle;
        for (const auto& e : m.items)
            if (!e.separator && same_text(e.text, item)) return e.handle;
    }
    return 0;
}

bool Menus::choose(MenuHandle handle, std::string& why)
{
    int m = 0, i = 0;
    if (!locate(handle, m, i)) {
        why = "no such menu item";
        return false;
    }
    Menu& menu = menus_[m - 1];
    Entry* e = entry(m, i);
    std::string name = plain_menu_text(menu.title.text) + (i ? " > " + plain_menu_text(e->text) : "");
    if (!menu.title.action->isEnabled()) {
        why = "menu " + plain_menu_text(menu.title.text) + " is greyed";
        return false;
    }
    if (i == 0 && menu.dropdown) {
        why = "menu " + name + " has items: name one";
        return false;
    }
    if (e->separator) {
        why = "a separator cannot be chosen";
        return false;
    }
    if (!e->enabled || e->held) {
        why = "menu item " + name + " is greyed";
        return false;
    }
    e->action->trigger();
    return true;
}

QAction* Menus::action(MenuHandle handle) const
{
    int m = 0, i = 0;
    if (!locate(handle, m, i)) return nullptr;
    return entry(m, i)->action;
}

} // namespace meru::platform
