// Starts Qt, the platform layer and the program's main routine.
#include "mainloop/mainprog.h"
#include "platform/events.h"
#include "platform/frame.h"
#include "platform/io/os.h"
#include "platform/io/units.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    meru::io::share_one_allocator_arena();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MERU"));

    meru::platform::yield_interval_from_env();
    meru::platform::UnitRegistry units;
    meru::platform::Frame frame(units);
    frame.show();

    // The main routine runs inside the event loop, on this one thread, and never
    // returns; the program ends through File:Exit or a fatal start-up error.
    QTimer::singleShot(0, &frame.main_window(), [&frame, &units] { meru::mainloop::mainprog(frame, units); });
    return QApplication::exec();
}
