// Two floors of the start-up figure, in a process linked with the web engine: a bare window of
// the main window's size (--bare: the engine's libraries' share of a start), and the same
// window holding an empty web view (--empty-web-view). Prints "shown" once the window is on
// screen, then waits to be ended. Started by bench_startup; not meant to be run alone.

#include "ShownReport.h"
#include "web/WebEngineStart.h"

#include <QApplication>
#include <QQuickWindow>
#include <QVBoxLayout>
#include <QWebEngineView>

int main(int argc, char** argv)
{
    const bool withView = argc > 1 && QByteArray(argv[1]) == "--empty-web-view";
    if (withView) {
        WebEngineStart::prepare();
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(434, 338);
    if (withView) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(new QWebEngineView(&window));
    }
    new ShownReport(&window);
    window.show();
    return app.exec();
}
