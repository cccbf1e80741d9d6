#include "app/HandOverReceiver.h"

#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "screens/EditScreen.h"
#include "store/AppInfo.h"
#include "ui/Prompt.h"

#include <QCoreApplication>

namespace {

const char* const DiscardQuestion = QT_TRANSLATE_NOOP(
    "HandOverReceiver", "Discard what you typed and add the serial from the web browser?");
// How much of the incoming text the question shows.
constexpr int ShownCharacters = 60;

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
    if (isFrontScreen(edit))
        return edit->hasUnsavedChanges() ? edit : nullptr;
    auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm(QStringLiteral("frmAdd")));
    return isFrontScreen(add) && add->holdsTyping() ? add : nullptr;
}

void HandOverReceiver::addSerial(const QString& text)
{
    if (m_stopped)
        return;
    emit showRequested();
    if (QWidget* screen = screenWithUnsavedInput()) {
        // No is the default: the typing on the screen is worth more than an Enter pressed by
        // habit. The question shows the start of the incoming text, so the user sees what
        // would replace the typing.
        QString incoming = text.left(ShownCharacters);
        if (incoming.size() == ShownCharacters && incoming.back().isHighSurrogate())
            incoming.chop(1);
        const PromptMessage question{tr(DiscardQuestion) + QLatin1Char('\n') + incoming,
                                     AppInfo::Title, PromptButtons::YesNo, PromptIcon::None,
                                     PromptAnswer::No};
        if (m_prompt.message(question) != PromptAnswer::Yes) {
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
