// Starts Qt, the platform layer and the program's main routine.
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow frame;
    frame.setWindowTitle("MERU");
    frame.setCentralWidget(new QMdiArea(&frame));
    frame.resize(1024, 768);
    frame.show();
    return app.exec();
}
