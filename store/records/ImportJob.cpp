#include "store/records/ImportJob.h"

#include "store/DatabaseSession.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QThread>

namespace {

// Connection names stay unique across jobs.
std::atomic<quint64> g_jobs{0};

} // namespace

ImportJob::ImportJob(DatabaseSession& session, QList<RecordStore::SerialRecord> records,
                     RecordStore::ImportOptions options, QObject* parent)
    : QObject(parent), m_session(session), m_records(std::move(records)),
      m_options(std::move(options))
{
}

ImportJob::~ImportJob()
{
    if (!m_thread)
        return;
    m_cancelled = true;
    m_thread->wait();
    delete m_thread;
}

void ImportJob::start()
{
    if (m_thread)
        return;
    m_thread = QThread::create([this] { run(); });
    // The outcome is read on the job's own thread once the worker's thread has ended.
    connect(m_thread, &QThread::finished, this, [this] {
        m_finished = true;
        emit finished();
    });
    m_thread->start();
}

void ImportJob::cancel()
{
    m_cancelled = true;
}

void ImportJob::run()
{
    const QString name = QStringLiteral("numira-import-%1").arg(++g_jobs);
    const StoreError failure = m_session.openCompanion(name);
    if (failure) {
        m_error = failure;
        DatabaseSession::removeConnection(name);
        return;
    }
    RecordStore::ImportOptions options = m_options;
    options.connectionName = name;
    options.progress = [this](qsizetype done, qsizetype total) {
        emit progressed(done, total);
        return !m_cancelled.load();
    };
    bool stored = false;
    {
        const QSqlDatabase db = QSqlDatabase::database(name, false);
        DatabaseSession::watchCancelFlag(db, &m_cancelled);
        stored = RecordStore::importRecords(m_session, m_records, options, &m_outcome, &m_error);
        DatabaseSession::watchCancelFlag(db, nullptr);
    }
    DatabaseSession::removeConnection(name);
    // A statement stopped by the cancel fails with the database's own words; a commit that
    // landed before the cancel was seen stays an import that happened.
    if (!stored && m_cancelled)
        m_error = {StoreError::Kind::Cancelled,
                   QCoreApplication::translate("ImportJob", "The import was cancelled.")};
}
