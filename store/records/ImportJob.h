#pragma once

#include "store/records/RecordStore.h"

#include <QObject>

#include <atomic>

class DatabaseSession;
class QThread;

// Runs RecordStore::importRecords on a thread of its own, over a companion connection to the
// session's database, so that the window answers while a large import is decided and stored.
// The import is one transaction as ever: cancel() stops it (a statement still running is
// interrupted) and the database stays as it was.
class ImportJob final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImportJob)

public:
    // The session must outlive the job.
    ImportJob(DatabaseSession& session, QList<RecordStore::SerialRecord> records,
              RecordStore::ImportOptions options, QObject* parent = nullptr);
    // Cancels an import still running and waits for its thread.
    ~ImportJob() override;

    void start();
    void cancel();
    bool isFinished() const { return m_finished; }
    bool wasCancelled() const { return m_cancelled.load(); }

    // Once finished: what was stored, or why nothing was.
    const RecordStore::ImportOutcome& outcome() const { return m_outcome; }
    const StoreError& error() const { return m_error; }

signals:
    // Now and then while the records are decided; on the thread that owns the job.
    void progressed(qsizetype done, qsizetype total);
    void finished();

private:
    void run();

    DatabaseSession& m_session;
    QList<RecordStore::SerialRecord> m_records;
    RecordStore::ImportOptions m_options;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_cancelled{false};
    bool m_finished = false;
    RecordStore::ImportOutcome m_outcome;
    StoreError m_error;
};
