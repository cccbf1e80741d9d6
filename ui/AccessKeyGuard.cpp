#include "ui/AccessKeyGuard.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

bool AccessKeyGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    // Only Alt alone: AltGr and Ctrl+Alt type characters on many keyboard layouts.
    const bool accessKey = key->modifiers() == Qt::AltModifier &&
                           ((key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) ||
                            (key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9));
    const bool textBox = qobject_cast<QLineEdit*>(watched) ||
                         qobject_cast<QPlainTextEdit*>(watched) ||
                         qobject_cast<QTextEdit*>(watched) || qobject_cast<QComboBox*>(watched);
    if (accessKey && textBox)
        return true;
    return QObject::eventFilter(watched, event);
}
