#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class InstanceServer;
class QLockFile;

// One running Numira per user. The first start holds a lock file for its whole run and listens
// on a local socket beside it; a later start finds the lock taken and may hand its quick-add
// text over the socket instead.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    // Empty paths: the lock in the per-user runtime folder, the socket beside the lock.
    SingleInstance(const QString& lockPath, const QString& serverName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock. False when another instance holds it (the error stays empty) or when the
    // lock file cannot be made (the error says why).
    bool acquire(QString* error);
    bool isHeld() const { return m_lock != nullptr; }
    void release();

    // A later start's hand-over; false when no running instance took the text.
    bool handOver(const QString& quickAddText) const;
    // The holder listens for hand-overs from later starts.
    void listen();

    // A handed-over text waits while a question box, file dialog or menu is open: answering it
    // may still close or reload screens. Texts that arrive together give only the last one.
    void receive(const QString& text);

signals:
    void quickAddReady(const QString& text);

private:
    QString serverName() const;
    void deliverPending();

    QString m_lockPath;
    QString m_serverName;
    std::unique_ptr<QLockFile> m_lock;
    InstanceServer* m_server = nullptr;
    QStringList m_pending;
};
