// The floor of the start-up figure: a bare Qt Widgets window of the main window's size, linked
// against Qt Widgets alone. Prints "shown" once the window is on screen and painted, then waits to
// be ended. Started by bench_startup; not meant to be run alone.

#include "ShownReport.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(434, 338);
    new ShownReport(&window);
    window.show();
    return app.exec();
}
