#include "app/HandOverReceiver.h"

#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "screens/EditScreen.h"
#include "ui/Prompt.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

const QString DiscardQuestion =
    QStringLiteral("Discard what you typed and add the serial from the web browser?");

bool isFrontScreen(const QWidget* screen)
{
    return screen && screen->isVisibleTo(screen->window());
}

} // namespace

HandOverReceiver::HandOverReceiver(Prompt& prompt, QObject* parent)
    : QObject(parent), m_prompt(prompt)
{
}

void HandOverReceiver::showWindow()
{
    if (m_stopped)
        return;
    emit showRequested();
}

QWidget* HandOverReceiver::screenWithUnsavedInput()
{
    // The edit screen covers the list that opened it, so it is the one in front when loaded.
    auto* edit = qobject_cast<EditScreen*>(WindowRegistry::loadedForm(QStringLiteral("frmEdit")));
    if (isFrontScreen(edit)) {
        const bool changed = edit->txtVersion->isModified() || edit->txtName->isModified() ||
                             edit->txtSerial->document()->isModified();
        return changed ? edit : nullptr;
    }
    auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm(QStringLiteral("frmAdd")));
    if (isFrontScreen(add)) {
        // A serial handed over earlier and not stored yet counts as unsaved input too.
        for (const QString& text : {add->txtNewProg->text(), add->txtVersion->text(),
                                    add->txtName->text(), add->txtSerial->toPlainText()}) {
            if (!text.trimmed().isEmpty())
                return add;
        }
    }
    return nullptr;
}

void HandOverReceiver::addSerial(const QString& text)
{
    if (m_stopped)
        return;
    emit showRequested();
    if (QWidget* screen = screenWithUnsavedInput()) {
        if (!m_prompt.askYesNo(DiscardQuestion)) {
            // The screen and its typing stay; the text waits until that screen is left.
            m_waiting.append(text);
            if (m_blockingScreen != screen) {
                m_blockingScreen = screen;
                connect(screen, &QObject::destroyed, this, &HandOverReceiver::offerWaitingTexts,
                        Qt::QueuedConnection);
            }
            return;
        }
    }
    emit addSerialRequested(text);
}

void HandOverReceiver::offerWaitingTexts()
{
    m_blockingScreen.clear();
    const QStringList due = m_waiting;
    m_waiting.clear();
    for (const QString& text : due)
        emit waitingTextDue(text);
}
