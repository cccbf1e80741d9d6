#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class Prompt;

// What the running window does with the work a later start hands over. Either kind asks for
// the window in front (out of the tray, un-minimised, raised, activated); a quick-add text
// then asks for the add screen with it. When the screen in front holds typing that was not
// saved, the user is asked first; a text the user does not want now waits, and is offered
// again as soon as that screen is left, so it is never lost.
class HandOverReceiver final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HandOverReceiver)

public:
    // The prompt asks before typing on the screen in front is given up.
    explicit HandOverReceiver(Prompt& prompt, QObject* parent = nullptr);

    void showWindow();
    void addSerial(const QString& text);
    // The window has shut down: later hand-overs are dropped.
    void stop() { m_stopped = true; }

    // Texts the user kept waiting behind unsaved typing.
    QStringList waitingTexts() const { return m_waiting; }

    // The hosted screen in front when it holds typing that was not saved: an add screen with
    // anything in its boxes, an edit screen with a changed box. Null otherwise.
    static QWidget* screenWithUnsavedInput();

signals:
    // The window is wanted in front; it comes there before any question is asked.
    void showRequested();
    // The add screen is wanted, hosted afresh, with the handed-over text in its boxes.
    void addSerialRequested(const QString& text);
    // A handed-over text that waited is due again (the screen that held it was left).
    void waitingTextDue(const QString& text);

private:
    void offerWaitingTexts();

    Prompt& m_prompt;
    bool m_stopped = false;
    QStringList m_waiting;
    QPointer<QWidget> m_blockingScreen;
};
