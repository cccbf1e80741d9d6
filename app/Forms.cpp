#include "app/Forms.h"

#include "about/frmAbout.h"
#include "app/frmMain.h"
#include "app/frmPopup.h"
#include "screens/frmAdd.h"
#include "screens/frmBrowse.h"
#include "screens/frmEdit.h"
#include "screens/frmSearch.h"

#include <QPointer>

namespace {

QPointer<frmMain> g_main;
Prompt* g_prompt = nullptr;
QList<QPointer<QWidget>> g_loaded;

void dropDeleted()
{
    g_loaded.removeAll(QPointer<QWidget>());
}

template<class Form>
Form* instance(const char* formName)
{
    if (QWidget* form = Forms::loadedForm(QLatin1String(formName)))
        return static_cast<Form*>(form);
    auto* form = new Form(Forms::prompt());
    form->setObjectName(QLatin1String(formName));
    g_loaded.append(form);
    return form;
}

} // namespace

namespace Forms {

void setMain(frmMain* main, Prompt* prompt)
{
    dropDeleted();
    if (g_main)
        g_loaded.removeAll(QPointer<QWidget>(g_main.data()));
    g_main = main;
    g_prompt = prompt;
    if (main)
        g_loaded.prepend(main);
}

frmMain* Main()
{
    return g_main.data();
}

Prompt& prompt()
{
    Q_ASSERT(g_prompt);
    return *g_prompt;
}

frmAdd* Add()
{
    return instance<frmAdd>("frmAdd");
}

frmBrowse* Browse()
{
    return instance<frmBrowse>("frmBrowse");
}

frmSearch* Search()
{
    return instance<frmSearch>("frmSearch");
}

frmEdit* Edit()
{
    return instance<frmEdit>("frmEdit");
}

frmAbout* About()
{
    return instance<frmAbout>("frmAbout");
}

frmPopup* Popup()
{
    return instance<frmPopup>("frmPopup");
}

QList<QWidget*> loaded()
{
    dropDeleted();
    QList<QWidget*> forms;
    for (const QPointer<QWidget>& form : std::as_const(g_loaded))
        forms.append(form.data());
    return forms;
}

QWidget* loadedForm(const QString& formName)
{
    for (QWidget* form : loaded()) {
        if (form->objectName() == formName)
            return form;
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

} // namespace Forms
