#include "mainloop/menubar.h"

#include "mainloop/program.h"
#include "platform/frame.h"
#include "platform/menu_commands.h"
#include "ui/actlog.h"
#include "ui/bring_to_front.h"
#include "ui/messages.h"

#include <cstdio>
#include <vector>

namespace meru::mainloop {

namespace {

using platform::kMenuEnabled;
using platform::kMenuGrey;
using platform::kMenuSeparator;
using platform::MenuCommand;
using F = MenuFlags;

enum class Act {
    title,         // a menu's title
    command_title, // a title that is itself a request (Criteria, Strategy, Options)
    separator,
    raise,     // raises group, item and `also`, lowers `lower`
    help_item, // as raise, after lowering every Help item
    stats,     // as raise, then Go! grey and End enabled
    tree,      // progress text, then as raise
    go,
    end,
    tip,
    saveas,
    print,
    exit,
    command, // a predefined frame command
};

struct ItemSpec {
    int menu;
    const char* text;
    int flags;
    Act act;
    Step step = Step::file;
    bool F::*group = nullptr;
    bool F::*item = nullptr;
    bool F::*also = nullptr;
    bool F::*lower = nullptr;
    MenuCommand command = MenuCommand::Nothing;
};

constexpr int E = kMenuEnabled;
constexpr int G = kMenuGrey;
constexpr int S = kMenuSeparator;

ItemSpec title(int m, const char* text, int flags) { return {m, text, flags, Act::title}; }
ItemSpec sep(int m) { return {m, "", S, Act::separator}; }
ItemSpec req(int m, const char* text, int flags, Step step, bool F::*group, bool F::*item, bool F::*also = nullptr,
             bool F::*lower = nullptr)
{
    return {m, text, flags, Act::raise, step, group, item, also, lower};
}
ItemSpec act(int m, const char* text, int flags, Act a, Step step = Step::file, bool F::*group = nullptr,
             bool F::*item = nullptr, bool F::*also = nullptr)
{
    return {m, text, flags, a, step, group, item, also};
}
ItemSpec cmd(int m, const char* text, int flags, MenuCommand c)
{
    ItemSpec s{m, text, flags, Act::command};
    s.command = c;
    return s;
}

// The menu bar in the order of appending.
std::vector<ItemSpec> table()
{
    return {
        title(1, "File", E),
        req(1, "Open", E, Step::file, &F::qfile, &F::fopen),
        req(1, "New", E, Step::file, &F::qfile, &F::fnew),
        sep(1),
        act(1, "Save As", E, Act::saveas),
        act(1, "Print", E, Act::print),
        sep(1),
        act(1, "E&xit", E, Act::exit),

        title(2, "Edit", G),
        req(2, "Edit .MRC file", E, Step::edit, &F::qedit, &F::edcf),
        req(2, "Edit file", E, Step::edit, &F::qedit, &F::edfile),
        sep(2),
        cmd(2, "Select &Graphic", G, MenuCommand::SelectGraphic),
        cmd(2, "Select &All", G, MenuCommand::SelectAll),
        cmd(2, "Copy", G, MenuCommand::Copy),
        sep(2),
        req(2, "S&plit sample", G, Step::edit, &F::qedit, &F::esplit, nullptr, &F::eboot),
        req(2, "Bootstrap sample", G, Step::edit, &F::qedit, &F::eboot, nullptr, &F::esplit),

        title(3, "Y", G),
        req(3, "OK", G, Step::y, &F::qy, &F::yok),
        sep(3),
        req(3, "&Distribution", G, Step::y, &F::qy, &F::ydist),
        req(3, "Scatter&plot/Cross-tab", G, Step::y, &F::qy, &F::yscat),
        req(3, "Transform", G, Step::y, &F::qy, &F::ytrans),
        req(3, "Select &Y", G, Step::y, &F::qy, &F::ysel),
        sep(3),
        req(3, "&By group/cross-validate", G, Step::y, &F::qy, &F::ybygrp),

        act(4, "Criteria", G, Act::command_title, Step::settings, &F::qcrit, &F::qcrit),

        title(5, "Rank", G),
        req(5, "A&ttribute Rank Plot", G, Step::search, &F::qrank, &F::rrankplot),
        req(5, "F&ix Positi&ve attributes", G, Step::search, &F::qrank, &F::rfixpos),
        req(5, "E&ffectiveness v Cuts plot", G, Step::search, &F::qrank, &F::reffcuts),
        req(5, "R&OC curves", G, Step::search, &F::qrank, &F::rroc),
        req(5, "Q&ROC curves", G, Step::search, &F::qrank, &F::rqroc),

        act(6, "S&trategy", G, Act::command_title, Step::settings, &F::strat, &F::strat),

        title(7, "&Search", G),
        act(7, "&Go!", G, Act::go, Step::series, &F::sgo, &F::sgo),
        act(7, "&End", G, Act::end),

        title(8, "Process", G),
        req(8, "Rectangle diagrams", G, Step::process, &F::qproc, &F::prect),
        req(8, "Lists", G, Step::process, &F::qproc, &F::plists),
        req(8, "Distribution A v. A-", G, Step::process, &F::qproc, &F::pdistab),
        act(8, "Statistics", G, Act::stats, Step::process, &F::qproc, &F::pstats),
        act(8, "Random", G, Act::stats, Step::process, &F::qproc, &F::prandom),
        act(8, "Tree ", G, Act::tree, Step::process, &F::qproc, &F::ptree),
        sep(8),
        req(8, "Switch to test s&ample", G, Step::process, &F::qproc, &F::ptest),
        req(8, "Create added attribute", G, Step::process, &F::qproc, &F::paddatt),

        act(9, "Options", E, Act::command_title, Step::options, &F::qopt, &F::qopt),

        title(10, "View", E),
        req(10, "Output", E, Step::view, &F::qview, &F::vlog),
        req(10, "Data", E, Step::view, &F::qview, &F::vdata),
        req(10, ".MRC file", E, Step::view, &F::qview, &F::vcf),
        req(10, "Other files", E, Step::view, &F::qview, &F::vother),
        sep(10),
        req(10, "Added attributes", G, Step::process, &F::qproc, &F::vaddatt),

        title(11, "Window", E),
        cmd(11, "Cascade", E, MenuCommand::Cascade),
        cmd(11, "Tile", E, MenuCommand::Tile),
        sep(11),

        title(12, "Help", E),
        act(12, "About MERU", E, Act::help_item, Step::help, &F::qhelp, &F::habout),
        act(12, "Topics", E, Act::help_item, Step::help, &F::qhelp, &F::htopics),
        act(12, "Website", E, Act::help_item, Step::help, &F::qhelp, &F::hweb),
        act(12, "Manual", E, Act::help_item, Step::help, &F::qhelp, &F::hmanual, &F::hweb),
        act(12, "FAQs", E, Act::help_item, Step::help, &F::qhelp, &F::hfaq, &F::hweb),
        act(12, "Tip of the Day", E, Act::tip),
    };
}

void raise(MenuFlags& f, const ItemSpec& s)
{
    if (s.lower) f.*s.lower = false;
    if (s.group) f.*s.group = true;
    if (s.item) f.*s.item = true;
    if (s.also) f.*s.also = true;
}

void lower_help(MenuFlags& f) { f.habout = f.hfaq = f.hmanual = f.htopics = f.hweb = false; }

// Go! grey, End enabled: a search or statistics run starts.
void search_running(Program& p)
{
    p.menus.set_flags(kSearchMenu, 1, kMenuGrey);
    p.menus.set_flags(kSearchMenu, 2, kMenuEnabled);
}

platform::MenuRoutine routine(Program& p, const ItemSpec& s)
{
    switch (s.act) {
    case Act::title:
    case Act::separator: return {};
    case Act::command_title:
    case Act::raise: return chosen(p, s.step, [&p, s] { raise(p.flags, s); });
    case Act::help_item:
        return chosen(p, s.step, [&p, s] {
            lower_help(p.flags);
            raise(p.flags, s);
        });
    case Act::stats:
        return chosen(p, s.step, [&p, s] {
            raise(p.flags, s);
            search_running(p);
        });
    case Act::tree:
        return chosen(p, s.step, [&p, s] {
            progress(p, "...recreating tree diagram");
            raise(p.flags, s);
        });
    case Act::go: return [&p](bool) { gomenu(p); };
    case Act::end:
        return [&p](bool) {
            p.flags.searchend = true;
            p.flags.scontinue = false;
        };
    case Act::tip: return [&p](bool) { tipmenu(p); };
    case Act::saveas: return [&p](bool) { saveasmenu(p); };
    case Act::print: return [&p](bool) { printmenu(p); };
    case Act::exit: return [&p](bool) { exitmenu(p); };
    case Act::command: return [&p, c = s.command](bool) { platform::run_menu_command(c, p.frame, p.ui.host); };
    }
    return {};
}

std::string plain_name(const char* title, const char* item, Act act)
{
    std::string t = platform::plain_menu_text(title);
    return act == Act::command_title ? t : t + ":" + platform::plain_menu_text(item);
}

// Saves or prints the focused window; a file that could not be written is named
// with the system's reason.
void write_focused(Program& p, MenuCommand command)
{
    const platform::FileCommand done = platform::write_focused(command, p.frame, p.ui.host);
    if (done.chosen && !done.why.empty()) ui::msgok(p.ui, "Cannot write " + done.path + " (" + done.why + ")$");
}

} // namespace

platform::MenuRoutine chosen(Program& p, Step step, std::function<void()> raise_request)
{
    return [&p, step, raise_request](bool) {
        raise_request();
        p.choices.push_back({step, raise_request});
    };
}

void menubar(Program& p)
{
    const char* titles[13] = {};
    for (const ItemSpec& s : table()) {
        if (s.act == Act::title || s.act == Act::command_title) titles[s.menu] = s.text;
        p.menus.append(s.menu, s.flags, s.text, routine(p, s));
        if (s.item) p.item_names.push_back({s.step, s.item, plain_name(titles[s.menu], s.text, s.act)});
    }
}

void gomenu(Program& p)
{
    MenuFlags& f = p.flags;
    f.nsearch += 1;
    f.rrankplot = f.rfixpos = f.reffcuts = f.rroc = f.rqroc = false;
    f.treemade = false;
    p.rank.go_noted = false;
    f.sgo = f.qcrit = f.searching = f.qrank = f.rfixpos = true;
    if (!p.strategy.treemode) f.nontree_search = true;
    char number[16];
    std::snprintf(number, sizeof number, "%4d", f.nsearch % 10000);
    std::string heading = "%Search:Go! Search no. " + std::string(number);
    ui::actlog(p.log, p.ui.history, heading);
    search_running(p);
    // Until the loop head ends the run, a second Go!, or a request that would
    // change its Y, criterion, ranking, strategy or partition between its
    // stages, cannot be chosen.
    p.menus.hold({{kYMenu, 0}, {kCriteriaMenu, 0}, {kRankMenu, 0}, {kStrategyMenu, 0}, {kSearchMenu, 1}, {kProcessMenu, 0}});
    p.frame.set_window_size(kProgressUnit, {platform::SizeState::restored});
}

void tipmenu(Program& p)
{
    p.flags.qhelp = false;
    lower_help(p.flags);
    if (p.help.topics) p.help.topics(true);
}

void saveasmenu(Program& p)
{
    std::string q = "?Save As only saves currently in focus window as bitmap. Continue?$";
    if (ui::quiz(p.ui, q)) write_focused(p, MenuCommand::SaveImage);
}

void printmenu(Program& p)
{
    std::string q = "?Prints only currently in focus window. Continue?$";
    if (ui::quiz(p.ui, q)) write_focused(p, MenuCommand::Print);
}

void exitmenu(Program& p)
{
    if (p.analysis_open()) {
        std::string q =
            "?Exit will terminate saving only .log file " + p.analysis->logname + "  Do you want to Exit?$ ";
        if (!ui::quiz(p.ui, q)) return;
        p.log.write("User File:Exit of MERU");
    }
    p.exit(0);
}

void front37(Program& p) { ui::bring_to_front(p.frame, kProgressUnit); }

} // namespace meru::mainloop
