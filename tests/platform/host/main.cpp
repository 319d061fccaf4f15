// A stand-in program for the scripted-run test: a frame with a test menu bar and a
// test dialog, and a main loop that waits at the idle poll and handles one request
// at a time. Every result it reaches is written to standard error as "host: ...".
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/file_dialog.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/units.h"
#include "platform/menu_commands.h"
#include "platform/menus.h"
#include "platform/message_box.h"
#include "platform/script_host.h"
#include "platform/window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenuBar>
#include <QThread>
#include <QTimer>

#include <cstdio>

using namespace meru::platform;

namespace {

const char* const kHostDialog = R"(
dialog 9000 "Test dialog" 0 0 200 120
  static -1   "Name:"      5  5 40 10
  edit   101  ""          50  5 80 12
  check  102  "Verbose"    5 20 80 10
  static -1   "Variables"  5 35 60 10
  list   105  ""           5 45 80 50 multi
  button 1    "OK"       140 80 50 14 default
  button 2    "Cancel"   140 98 50 14
end
)";

enum class Request { none, open, dialog, message, question, plot, hang, options };

void say(const std::string& line)
{
    std::fprintf(stderr, "host: %s\n", line.c_str());
    std::fflush(stderr);
}

struct Host {
    Frame& frame;
    Menus& menus;
    ModalHost modal;
    DialogLibrary library;
    std::unique_ptr<Dialog> dialog;
    Request request = Request::none;

    MenuRoutine raise(Request r)
    {
        return [this, r](bool) { request = r; };
    }

    void build_menus()
    {
        menus.append(1, kMenuEnabled, "&File");
        menus.append(1, kMenuEnabled, "&Open", raise(Request::open));
        menus.append(1, kMenuEnabled, "Save As", menu_command(MenuCommand::SaveImage, frame, modal));
        menus.append(1, kMenuSeparator, "");
        menus.append(1, kMenuEnabled, "E&xit", menu_command(MenuCommand::Exit, frame, modal));
        menus.append(2, kMenuEnabled, "Edit");
        menus.append(2, kMenuEnabled, "Copy", menu_command(MenuCommand::Copy, frame, modal));
        menus.append(3, kMenuEnabled, "Test");
        menus.append(3, kMenuEnabled, "Dialog", raise(Request::dialog));
        menus.append(3, kMenuEnabled, "Message", raise(Request::message));
        menus.append(3, kMenuEnabled, "Question", raise(Request::question));
        menus.append(3, kMenuEnabled, "Plot", raise(Request::plot));
        menus.append(3, kMenuEnabled, "Hang", raise(Request::hang));
        menus.append(4, kMenuEnabled, "Options", raise(Request::options));
        menus.append(5, kMenuEnabled, "Window");
        menus.append(5, kMenuEnabled, "Cascade", menu_command(MenuCommand::Cascade, frame, modal));
        menus.append(5, kMenuEnabled, "Tile", menu_command(MenuCommand::Tile, frame, modal));
    }

    void handle(Request r)
    {
        switch (r) {
        case Request::open: {
            auto path = open_file_dialog(modal, "Open", {{"Control files", "*.mrc"}}, "");
            say(path ? "opened " + *path : "open cancelled");
            break;
        }
        case Request::dialog: {
            if (!dialog) dialog = Dialog::load(library, 9000, modal);
            int changes = 0;
            dialog->set_callback(105, [&changes](Dialog&, int, CallbackKind) { ++changes; });
            if (dialog->get_int(105, changes, kNumItems), changes == 0) {
                dialog->set_int(105, 3, kNumItems);
                dialog->set_text(105, "AGE", 1);
                dialog->set_text(105, "SEX", 2);
                dialog->set_text(105, "BMI", 3);
            }
            changes = 0;
            int closed = dialog->run_modal();
            std::string name, list;
            dialog->get_text(101, name);
            for (int j = 1;; ++j) {
                int k = 0;
                dialog->get_int(105, k, j);
                if (k == 0) break;
                list += (list.empty() ? "" : ",") + std::to_string(k);
            }
            bool verbose = false;
            dialog->get_logical(102, verbose);
            say("dialog " + std::to_string(closed) + " name=" + name + " list=" + list +
                " verbose=" + (verbose ? "on" : "off") + " changes=" + std::to_string(changes));
            break;
        }
        case Request::message:
            say("message " +
                std::to_string(message_box(modal, "Fatal error in .MRC file. File ignored", "Fatal erro....",
                                           BoxButtons::OkCancel, BoxIcon::Information)));
            break;
        case Request::question:
            say(std::string("question ") + (ask_yes_no(modal, "Print anyway?", "Query:") ? "yes" : "no"));
            break;
        case Request::plot: plot(); break;
        case Request::hang: {
            // A long computation that only yields: it never waits for the user.
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 3000) {
                QThread::msleep(5);
                yield();
            }
            say("hang over");
            break;
        }
        case Request::options: say("options"); break;
        case Request::none: break;
        }
    }

    // A graphics window that waits for clicks (a red dot at each) until Esc.
    void plot()
    {
        frame.open_window(19, "Plot");
        frame.set_active(19);
        frame.set_focus(19);
        Canvas* c = frame.canvas(19);
        c->clear(0xFFFFFF);
        ChildWindow* w = frame.window(19);
        w->latch().clear();
        w->keys().clear();
        menus.menu_off();
        for (bool done = false; !done;) {
            mouse_wait(50);
            MouseSample m = w->latch().read();
            if (m.event & mouse_left_down) {
                c->set_color_rgb(0x0000FF);
                c->rectangle(Fill::interior, m.x - 2, m.y - 2, m.x + 2, m.y + 2);
                say("click " + std::to_string(m.x) + " " + std::to_string(m.y));
            }
            while (auto k = w->keys().get())
                if (*k == 27) done = true;
        }
        menus.menu_on();
        say("plot closed");
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    UnitRegistry units;
    Frame frame(units);
    initialize_fonts(QCoreApplication::applicationDirPath().toStdString());
    frame.show();

    Menus menus(frame.main_window().menuBar());
    Host host{frame, menus, {&frame.main_window(), nullptr}, {}, nullptr};
    std::vector<std::string> errors;
    parse_dialog_templates(kHostDialog, "host", host.library, errors);

    FrameScriptHost script_host(frame, menus);
    auto script = start_script(script_host);
    host.modal.script = script.get();
    host.build_menus(); // after the script: the predefined commands keep the modal host

    QTimer::singleShot(0, &frame.main_window(), [&host] {
        for (;;) {
            idle_wait(200);
            Request r = std::exchange(host.request, Request::none);
            host.handle(r);
        }
    });
    return QApplication::exec();
}
