#include "app/modSetParent.h"

#include "app/Forms.h"

#include <QWidget>

namespace modSetParent {

void CloseChildScreens()
{
    CloseChildScreensExcept(QString());
}

void CloseChildScreensExcept(const QString& formName)
{
    const QList<QWidget*> forms = Forms::loaded();
    for (QWidget* form : forms) {
        const QString name = form->objectName();
        if (name == QLatin1String("frmMain") || (!formName.isEmpty() && name == formName))
            continue;
        Forms::unload(form);
    }
}

} // namespace modSetParent
