#include "ui/ClipboardGuard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

namespace {

QMimeData* secretData(const QString& text)
{
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(ClipboardGuard::HintType, ClipboardGuard::HintValue);
    return data;
}

QClipboard* clipboard()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

} // namespace

ClipboardGuard::ClipboardGuard(QObject* parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &ClipboardGuard::clearNow);
}

ClipboardGuard::~ClipboardGuard()
{
    clearNow();
}

QString ClipboardGuard::statusText(const QString& what, int seconds)
{
    if (seconds <= 0)
        return tr("%1 copied").arg(what);
    return tr("%1 copied: cleared in %2 s").arg(what).arg(seconds);
}

QString ClipboardGuard::copy(const QString& text, int seconds, const QString& what)
{
    QClipboard* board = clipboard();
    if (!board)
        return QString();
    m_timer->stop();
    m_text = text;
    m_clipboardData = secretData(text);
    board->setMimeData(m_clipboardData, QClipboard::Clipboard);
    if (board->supportsSelection()) {
        m_selectionData = secretData(text);
        board->setMimeData(m_selectionData, QClipboard::Selection);
    } else {
        m_selectionData.clear();
    }
    if (seconds > 0)
        m_timer->start(seconds * 1000);
    return statusText(what, seconds);
}

bool ClipboardGuard::holds(int mode) const
{
    const QClipboard* board = clipboard();
    const auto clipboardMode = QClipboard::Mode(mode);
    const QPointer<QMimeData>& ours =
        clipboardMode == QClipboard::Selection ? m_selectionData : m_clipboardData;
    // The clipboard deletes the data it was handed once another owner takes over, so a live
    // pointer that the clipboard still gives back is ours; the text is compared as well.
    return board && ours && board->mimeData(clipboardMode) == ours.data() && ours->text() == m_text;
}

bool ClipboardGuard::holdsCopy() const
{
    return holds(QClipboard::Clipboard);
}

void ClipboardGuard::clearNow()
{
    m_timer->stop();
    QClipboard* board = clipboard();
    bool clearedAny = false;
    for (const QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
        if (holds(mode)) {
            board->clear(mode);
            clearedAny = true;
        }
    }
    m_clipboardData.clear();
    m_selectionData.clear();
    m_text.clear();
    if (clearedAny)
        emit cleared();
}
