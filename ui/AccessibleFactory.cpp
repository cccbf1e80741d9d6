#include "ui/AccessibleFactory.h"

#include "ui/AccessibleButton.h"
#include "ui/HyperlinkLabel.h"
#include "ui/PictureButton.h"
#include "ui/ShapedWindow.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface* makeInterface(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String(PictureButton::staticMetaObject.className()) ||
        className == QLatin1String(HyperlinkLabel::staticMetaObject.className()))
        return new AccessibleButton(widget);
    // Borderless, the window would otherwise read as a nameless pane rather than a window
    // titled "Numira - <database>".
    if (className == QLatin1String(ShapedWindow::staticMetaObject.className()))
        return new QAccessibleWidget(widget, QAccessible::Window);
    return nullptr;
}

} // namespace

void AccessibleFactory::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&makeInterface);
        return true;
    }();
    Q_UNUSED(installed);
}
