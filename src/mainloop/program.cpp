#include "mainloop/program.h"

#include "platform/events.h"
#include "platform/frame.h"
#include "platform/script.h"
#include "platform/signals.h"
#include "settings/qt_form.h"
#include "ui/thinking.h"
#include "ui/winmenu.h"

namespace meru::mainloop {

Program::Program(platform::Frame& frame_, platform::UnitRegistry& units_)
    : frame(frame_), units(units_), menus(frame_.menu_bar()),
      files(units_), ui{frame_, menus, {frame_.dialog_owner(), nullptr}, dialogs, log, {}, {}, {}, {}, {}},
      services(ui, flags.searchend), forms(std::make_unique<settings::QtFormDialog>(ui)),
      exit([this](int status) { end_program(*this, status); })
{
    // A log that cannot be written (full disk, folder gone) is said once; the
    // program goes on, and the message is not copied into that log.
    log.set_failure_sink([this](const std::string& path, const std::string& reason) {
        std::string text = "Unable to write to log file " + path + " (" + reason + ")$";
        services.msgbox(text, BoxKind::Ok, false);
    });
}

void progress(Program& program, std::string_view text)
{
    ui::thinking(program.ui, text, true);
    if (program.ui.host.script) program.ui.host.script->echo("progress: " + std::string(text));
}

double beta_in_force(const Program& program) { return program.strategy.treemode ? 0.0 : program.crit.beta; }

void set_reduction(Program& program, bool fullred, bool primattr)
{
    if (!program.reduction_saved) {
        program.saved_fullred = program.options.fullred;
        program.saved_primattr = program.options.primattr;
        program.reduction_saved = true;
    }
    program.options.fullred = fullred;
    program.options.primattr = primattr;
}

void end_program(Program& program, int status)
{
    program.log.flush();
    program.log.close();
    for (int unit : {kScratchUnit, ui::kHelpTextUnit, ui::kHelpIndexUnit}) program.files.close(unit);
    program.lock.release();
    platform::exit_program(status);
}

void stop_by_signal(Program& program, int signal)
{
    if (program.analysis_open()) {
        program.log.set_failure_sink({});
        program.log.write("Signal " + platform::signal_name(signal) + ":Stop of MERU" +
                          (program.flags.searching ? "; search cut short" : ""));
    }
    program.exit(0);
}

void closeunit(Program& program, int unit)
{
    auto it = program.ui.windows.units.find(unit);
    if (it == program.ui.windows.units.end() || !it->second.open || it->second.handle == 0) return;
    ui::winmenu_closed(program.ui.windows, unit);
    program.frame.close_window(unit);
}

} // namespace meru::mainloop
