#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QString>

class QMimeData;
class QTimer;

// Puts a secret (a serial, a whole record) on the clipboard, and on the X11 primary selection
// where there is one, and takes it off again after a while and when the program ends. What it
// takes off is only what it put there: once another program (or another copy of Numira's)
// has replaced it, the clipboard is left alone. The data carries the hint that KDE's and other
// clipboard managers read to keep no history of it.
class ClipboardGuard final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClipboardGuard)

public:
    // The MIME type and value that ask clipboard managers to keep no copy.
    static inline const QString HintType = QStringLiteral("x-kde-passwordManagerHint");
    static inline const QByteArray HintValue = QByteArrayLiteral("secret");

    explicit ClipboardGuard(QObject* parent = nullptr);
    // Clears what it still holds on the clipboard.
    ~ClipboardGuard() override;

    // Copies the text; after `seconds` (0: never) the clipboard is cleared if it still holds
    // it. Returns what the user is told, e.g. "Serial copied: cleared in 30 s".
    QString copy(const QString& text, int seconds,
                 const QString& what = QCoreApplication::translate("ClipboardGuard", "Serial"));
    // Clears the clipboard and the selection where they still hold the copied text.
    void clearNow();
    // Whether the clipboard still holds what was copied last.
    bool holdsCopy() const;

    static QString statusText(const QString& what, int seconds);

signals:
    // The copied text was taken off the clipboard by the guard.
    void cleared();

private:
    bool holds(int mode) const;

    QTimer* m_timer = nullptr;
    // The data handed to the clipboard; the clipboard deletes it when another owner takes over.
    QPointer<QMimeData> m_clipboardData;
    QPointer<QMimeData> m_selectionData;
    QString m_text;
};
