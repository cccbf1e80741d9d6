#include "app/WindowRegistry.h"

#include "about/AboutWindow.h"
#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/SearchScreen.h"
#include "web/QuickAddRegistration.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>

namespace {

QPointer<MainWindow> g_main;
Prompt* g_prompt = nullptr;
QList<QPointer<QWidget>> g_loaded;

void dropDeleted()
{
    g_loaded.removeAll(QPointer<QWidget>());
}

template <class Window, class... Args> Window* instance(const char* formName, Args&&... args)
{
    if (QWidget* window = WindowRegistry::loadedForm(QLatin1String(formName)))
        return static_cast<Window*>(window);
    auto* window = new Window(std::forward<Args>(args)...);
    window->setObjectName(QLatin1String(formName));
    g_loaded.append(window);
    return window;
}

template <class Screen> Screen* screenInstance(const char* formName)
{
    Q_ASSERT(g_main);
    return instance<Screen>(formName, WindowRegistry::prompt(), *g_main);
}

} // namespace

namespace WindowRegistry {

void setMainWindow(MainWindow* main, Prompt* prompt)
{
    dropDeleted();
    if (g_main)
        g_loaded.removeAll(QPointer<QWidget>(g_main.data()));
    g_main = main;
    g_prompt = prompt;
    if (main)
        g_loaded.prepend(main);
}

MainWindow* mainWindow()
{
    return g_main.data();
}

Prompt& prompt()
{
    Q_ASSERT(g_prompt);
    return *g_prompt;
}

AddScreen* addScreen()
{
    return screenInstance<AddScreen>("frmAdd");
}

BrowseScreen* browseScreen()
{
    return screenInstance<BrowseScreen>("frmBrowse");
}

SearchScreen* searchScreen()
{
    return screenInstance<SearchScreen>("frmSearch");
}

EditScreen* editScreen()
{
    return screenInstance<EditScreen>("frmEdit");
}

AboutWindow* aboutWindow()
{
    const bool opening = !loadedForm(QStringLiteral("frmAbout"));
    AboutWindow* about = screenInstance<AboutWindow>("frmAbout");
    if (opening) {
        const QuickAddRegistration::QuickAddPlaces places{
            g_main->programFolder(), QDir::homePath(),
            QuickAddRegistration::hostProgramPath(QCoreApplication::applicationDirPath())};
        about->setQuickAddApplier([places](bool enabled, QString* error) {
            return QuickAddRegistration::apply(enabled, places, error);
        });
    }
    return about;
}

PopupMenus* popupMenus()
{
    return instance<PopupMenus>("frmPopup");
}

QList<QWidget*> loaded()
{
    dropDeleted();
    QList<QWidget*> windows;
    for (const QPointer<QWidget>& window : std::as_const(g_loaded))
        windows.append(window.data());
    return windows;
}

QWidget* loadedForm(const QString& formName)
{
    for (QWidget* window : loaded()) {
        if (window->objectName() == formName)
            return window;
    }
    return nullptr;
}

void unload(QWidget* form)
{
    if (!form)
        return;
    form->hide();
    g_loaded.removeAll(QPointer<QWidget>(form));
    form->deleteLater();
}

void closeChildScreens()
{
    closeChildScreensExcept(QString());
}

void closeChildScreensExcept(const QString& formName)
{
    const QList<QWidget*> windows = loaded();
    for (QWidget* window : windows) {
        const QString name = window->objectName();
        if (name == QLatin1String("frmMain") || (!formName.isEmpty() && name == formName))
            continue;
        unload(window);
    }
}

} // namespace WindowRegistry
