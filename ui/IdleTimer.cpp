#include "ui/IdleTimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

IdleTimer::IdleTimer(QObject* parent) : QObject(parent), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &IdleTimer::idle);
    QCoreApplication::instance()->installEventFilter(this);
}

IdleTimer::~IdleTimer()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

void IdleTimer::start(int ms)
{
    if (ms <= 0) {
        stop();
        return;
    }
    m_timer->start(ms);
}

void IdleTimer::stop()
{
    m_timer->stop();
}

bool IdleTimer::isActive() const
{
    return m_timer->isActive();
}

int IdleTimer::interval() const
{
    return m_timer->interval();
}

int IdleTimer::remainingMs() const
{
    return m_timer->remainingTime();
}

bool IdleTimer::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::ShortcutOverride:
        if (m_timer->isActive())
            m_timer->start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
