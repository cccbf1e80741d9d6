// The floor of the start-up figure: a bare Qt Widgets window of the main window's size, linked
// against Qt Widgets alone. Prints "shown" once the window is on screen, then waits to be
// ended. Started by bench_startup; not meant to be run alone.

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(434, 338);
    window.show();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (window.windowHandle() && window.windowHandle()->isExposed()) {
            poll.stop();
            std::printf("shown\n");
            std::fflush(stdout);
        }
    });
    poll.start(0);
    return app.exec();
}
