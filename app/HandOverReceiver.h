#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class MainWindow;

// What the running window does with the work a later start hands over. Either kind brings the
// window to the front (out of the tray, un-minimised, raised, activated); a quick-add text
// then opens the add screen with it. When the screen in front holds typing that was not
// saved, the user is asked first; a text the user does not want now waits, and is offered
// again as soon as that screen is left, so it is never lost.
class HandOverReceiver final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HandOverReceiver)

public:
    explicit HandOverReceiver(MainWindow& main);

    void showWindow();
    void addSerial(const QString& text);

    // Texts the user kept waiting behind unsaved typing.
    QStringList waitingTexts() const { return m_waiting; }

    // The hosted screen in front when it holds typing that was not saved: an add screen with
    // anything in its boxes, an edit screen with a changed box. Null otherwise.
    static QWidget* screenWithUnsavedInput();

signals:
    // A handed-over text that waited is due again (the screen that held it was left).
    void waitingTextDue(const QString& text);

private:
    void offerWaitingTexts();

    MainWindow& m_main;
    QStringList m_waiting;
    QPointer<QWidget> m_blockingScreen;
};
