// Starts Qt, the platform layer and the program's main routine.
#include "mainloop/mainprog.h"
#include "platform/fonts.h"
#include "platform/frame.h"
#include "platform/io/units.h"

#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("MERU"));

    meru::platform::UnitRegistry units;
    meru::platform::Frame frame(units);
    // The fonts lie in the program's folder; a failure here is reported when the
    // program first selects a font.
    meru::platform::initialize_fonts(QCoreApplication::applicationDirPath());
    frame.show();

    // The main routine runs inside the event loop, on this one thread, and never
    // returns; the program ends through platform::exit_program.
    QTimer::singleShot(0, &frame.main_window(), [&frame] { meru::mainloop::mainprog(frame); });
    return QApplication::exec();
}
