#include "app/WindowRegistry.h"

#include "about/AboutWindow.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/ExpiringScreen.h"
#include "screens/SearchScreen.h"
#include "ui/ScreenHost.h"
#include "web/QuickAddRegistration.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>

namespace {

QList<QPointer<QWidget>> g_loaded;

void dropDeleted()
{
    g_loaded.removeAll(QPointer<QWidget>());
}

template <class Window> Window* instance(const char* formName, Prompt& prompt, ScreenHost& host)
{
    if (QWidget* window = WindowRegistry::loadedForm(QLatin1String(formName)))
        return static_cast<Window*>(window);
    auto* window = new Window(prompt, host);
    window->setObjectName(QLatin1String(formName));
    g_loaded.append(window);
    return window;
}

} // namespace

namespace WindowRegistry {

AddScreen* addScreen(Prompt& prompt, ScreenHost& host)
{
    return instance<AddScreen>("frmAdd", prompt, host);
}

BrowseScreen* browseScreen(Prompt& prompt, ScreenHost& host)
{
    return instance<BrowseScreen>("frmBrowse", prompt, host);
}

SearchScreen* searchScreen(Prompt& prompt, ScreenHost& host)
{
    return instance<SearchScreen>("frmSearch", prompt, host);
}

EditScreen* editScreen(Prompt& prompt, ScreenHost& host)
{
    return instance<EditScreen>("frmEdit", prompt, host);
}

ExpiringScreen* expiringScreen(Prompt& prompt, ScreenHost& host)
{
    return instance<ExpiringScreen>("frmExpiring", prompt, host);
}

AboutWindow* aboutWindow(Prompt& prompt, ScreenHost& host)
{
    const bool opening = !loadedForm(QStringLiteral("frmAbout"));
    AboutWindow* about = instance<AboutWindow>("frmAbout", prompt, host);
    if (opening) {
        const QuickAddRegistration::QuickAddPlaces places{
            host.programFolder(), QDir::homePath(),
            QuickAddRegistration::hostProgramPath(QCoreApplication::applicationDirPath())};
        about->setQuickAddApplier(
            [places](bool enabled, QString* error) {
                return QuickAddRegistration::apply(enabled, places, error);
            },
            QuickAddRegistration::isEnabledForUser());
    }
    return about;
}

void load(QWidget* window)
{
    Q_ASSERT(window && !window->objectName().isEmpty());
    dropDeleted();
    g_loaded.append(window);
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
        if (!formName.isEmpty() && window->objectName() == formName)
            continue;
        unload(window);
    }
}

} // namespace WindowRegistry
