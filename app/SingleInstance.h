#pragma once

#include <QList>
#include <QObject>
#include <QString>

class InstanceServer;

// One running Numira per user. The first start holds a lock on a file for its whole run and
// listens on a local socket beside it, in the same private folder; a later start finds the lock
// taken and hands its quick-add text, or its wish to see the window, over the socket instead.
// The lock is the system's lock on the open file (flock): it ends with the process however the
// process ends, so none is ever left behind, and taking it writes nothing that must reach the
// disk before the window shows. The file itself stays. A lock file of QLockFile (which takes the
// same system lock while held) is respected.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    // Empty paths: the lock in the user's private folder (StartupRules::instanceLockPath), the
    // socket beside the lock.
    SingleInstance(const QString& lockPath, const QString& serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. False when another instance holds it (the error stays empty) or when the
    // lock file cannot be made (the error says why).
    bool acquire(QString* error);
    bool isHeld() const { return m_lockDescriptor >= 0; }
    void release();

    // The socket: beside the lock file; empty when there is no private folder for the lock.
    QString socketPath() const;

    // A later start's hand-overs; false when no running instance took the message.
    bool handOverQuickAdd(const QString& text) const;
    bool handOverShow() const;
    // The holder listens for hand-overs from later starts. False, with the reason in the log,
    // when the socket cannot be made in the private folder: later starts are then refused.
    bool listen();

    // A hand-over waits while a question box, file dialog or menu is open: answering it may
    // still close or reload screens. Several are delivered one after the other, in order.
    void receive(const QString& text);
    void receiveShow();

signals:
    void quickAddReady(const QString& text);
    void showReady();

private:
    struct Pending
    {
        bool show = false;
        QString text;
    };

    void enqueue(const Pending& pending);
    void deliverPending();

    QString m_lockPath;
    QString m_serverName;
    QString m_lockInUse;
    // The open lock file while the lock is held, else -1.
    int m_lockDescriptor = -1;
    InstanceServer* m_server = nullptr;
    QList<Pending> m_pending;
};
