#include "mainloop/mainprog.h"

#include "mainloop/mainloop.h"
#include "mainloop/menubar.h"
#include "mainloop/program.h"
#include "mainloop/recent.h"
#include "platform/canvas.h"
#include "platform/events.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/os.h"
#include "platform/script_host.h"
#include "platform/signals.h"
#include "ui/helpindex.h"
#include "ui/messages.h"
#include "ui/thinking.h"
#include "ui/winmenu.h"

#include <cstdio>

namespace meru::mainloop {

namespace {

// The banner's title: the product name and its date, 2011-07-01, in eight digits.
std::string banner_title()
{
    char date[16];
    std::snprintf(date, sizeof date, "%04d%02d%02d", 2011, 7, 1);
    return std::string("MERU") + date;
}

// A file of the program's own folder, by its whole path: the help text is read
// by path at every lookup, long after an opening has changed the current folder.
std::string own_file(const Program& p, const std::string& name)
{
    return p.folder.empty() ? name : p.folder + "/" + name;
}

bool open_help_files(Program& p)
{
    const std::string busy_upper = "Cannot find MERUKEY.TXT or is in use, possibly MERU already running$";
    const int key = ui::open_help_index(p.files, own_file(p, "merukey.txt"));
    if (key != 0) {
        std::string text = key > 0
                               ? busy_upper
                               : std::string("Cannot find merukey.txt or is in use, possibly MERU already running$");
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        return false;
    }
    // One copy a user: the lock lies beside the preferences file that copies
    // would otherwise both rewrite. A lock file that cannot even be made (the
    // preferences folder is missing) holds no other copy: the run goes on and the
    // preferences say what is wrong with their file.
    const std::string lock_path = p.prefs_path + ".lock";
    if (!p.lock.acquire(lock_path) && io::file_exists(lock_path)) {
        std::string text = busy_upper;
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        return false;
    }
    if (ui::open_help_text(p.files, own_file(p, "meruhlp.txt")) != 0) {
        std::string text = "Cannot find MERUHLP.TXT or is in use, possibly MERU already running$";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        ui::msgok(p.ui, "MERU terminating$");
        return false;
    }
    return true;
}

void open_banner(Program& p)
{
    p.frame.open_window(kBannerUnit, banner_title());
    if (platform::Canvas* c = p.frame.canvas(kBannerUnit)) c->clear(0xffffff);
    p.frame.set_window_size(kBannerUnit, {platform::SizeState::minimised});
    ui::helpshow(p.ui, "M E R U");
}

void read_options(Program& p, const PrefRead& read)
{
    switch (read.status) {
    case PrefStatus::read:
    case PrefStatus::created: apply_options_line(read.options_line, p.options); break;
    case PrefStatus::no_options: break;
    case PrefStatus::bad_options: {
        std::string text = "ERROR: The options line of the preferences file " + p.prefs_path +
                           " cannot be read. Options take their start values$";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        break;
    }
    case PrefStatus::unreadable: {
        std::string text = "ERROR: Cannot read the preferences file " + p.prefs_path;
        text += read.why.empty() ? "$" : " (" + read.why + ")$";
        ui::msgbox(p.ui, text, BoxKind::Ok, false);
        break;
    }
    }
    settle_skip_options(p.options);
    if (p.options.showtip && p.help.topics) p.help.topics(true);
    p.prefs.options_line = options_line(p.options);
}

} // namespace

bool startup(Program& p, const std::string& folder)
{
    p.folder = folder;
    if (!io::change_folder(folder)) p.log.write("Cannot change to directory " + folder);
    std::vector<std::string> errors;
    p.dialogs = platform::load_dialog_folder(folder + "/dialogs", errors);
    for (const auto& e : errors) std::fprintf(stderr, "%s\n", e.c_str());

    p.prefs_path = preferences_path();
    if (!open_help_files(p)) return false;

    PrefRead prefs = read_preferences(p.prefs_path);
    p.prefs = prefs.prefs;

    p.frame.maximise();
    open_banner(p);

    p.ui.font_folder = folder;
    if (platform::initialize_fonts(folder) < 0) ui::msgok(p.ui, "ERROR: Unable to register graphics fonts$");

    ui::thinking(p.ui, "", false);
    platform::sleep_ms(50);
    ui::winmenu(p.menus, p.ui.windows, kProgressUnit, "I'm thinking", [&p](bool) { front37(p); });

    p.files.open(kScratchUnit, {own_file(p, "SCRATCH.TXT"), io::FileStatus::Unknown, io::FileAccess::Sequential});

    clear_requests(p.flags);
    p.options.tiedlast = true;

    read_options(p, prefs);
    append_recent_items(p);

    p.frame.close_window(kPartitionUnit);
    return true;
}

void mainprog(platform::Frame& frame, platform::UnitRegistry& units)
{
    // These live for the whole run: the process ends inside end_program.
    Program p(frame, units);
    menubar(p);

    platform::FrameScriptHost script_host(frame, p.menus);
    script_host.set_exit([&p](int status) { p.exit(status); });
    const std::unique_ptr<platform::Script> script = platform::start_script(script_host);
    p.ui.host.script = script.get();

    install_help(p);
    install_hooks(p);
    frame.set_close_handler([&p] { exitmenu(p); });
    // SIGTERM (as at log-out), SIGHUP and SIGINT end the run as File:Exit does,
    // without the question: the stop said in the log, the log, preferences and
    // scratch files closed.
    platform::watch_termination_signals([&p](int signal) { stop_by_signal(p, signal); });

    if (!startup(p, io::program_folder())) p.exit(kStartupFailure);
    run_main_loop(p);
}

} // namespace meru::mainloop
