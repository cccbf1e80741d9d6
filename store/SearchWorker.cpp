#include "store/SearchWorker.h"

#include "store/Database.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

namespace {

// Connection names stay unique across workers and runs.
std::atomic<quint64> g_runs{0};

} // namespace

struct SearchWorker::Run
{
    std::atomic<bool> cancelled{false};
    QMutex mutex;
    QWaitCondition ended;
    bool done = false;
    bool ok = false;
    ResultPages found;
    QString error;
};

SearchWorker::SearchWorker(QObject* parent) : QObject(parent)
{
}

SearchWorker::~SearchWorker()
{
    for (const Job& job : std::as_const(m_jobs))
        job.run->cancelled = true;
    for (const Job& job : std::as_const(m_jobs)) {
        job.thread->wait();
        delete job.thread;
    }
}

void SearchWorker::start(RecordStore::SearchField field, const QString& keywords)
{
    if (m_current) {
        m_current->cancelled = true;
        m_current.reset();
    }
    auto run = std::make_shared<Run>();
    m_current = run;
    const QString name = QStringLiteral("numira-search-%1").arg(++g_runs);
    QThread* thread = QThread::create([this, run, name, field, keywords] {
        ResultPages found;
        QString error;
        const bool ok = Database::openCompanion(name, &run->cancelled, &error) &&
                        RecordStore::search(field, keywords, &found, &error, name);
        // The first page is read here too, so that the window only shows it.
        if (ok && found.rowCount() > 0)
            found.cell(0, 0);
        found.useConnection(QString());
        Database::removeConnection(name);
        {
            const QMutexLocker locked(&run->mutex);
            run->ok = ok;
            run->found = std::move(found);
            run->error = error;
            run->done = true;
        }
        run->ended.wakeAll();
        // The worker outlives its threads (its destructor waits for them); a worker deleted
        // before the answer arrives drops it with its other events.
        QMetaObject::invokeMethod(
            this, [this, run] { deliver(run); }, Qt::QueuedConnection);
    });
    m_jobs.append({thread, run});
    connect(thread, &QThread::finished, this, [this, thread] {
        for (qsizetype i = 0; i < m_jobs.size(); ++i) {
            if (m_jobs.at(i).thread == thread) {
                m_jobs.removeAt(i);
                break;
            }
        }
        thread->deleteLater();
    });
    thread->start();
}

bool SearchWorker::finishWithin(int ms)
{
    const std::shared_ptr<Run> run = m_current;
    if (!run)
        return false;
    {
        QMutexLocker locked(&run->mutex);
        if (!run->done)
            run->ended.wait(&run->mutex, QDeadlineTimer(ms));
        if (!run->done)
            return false;
    }
    deliver(run);
    return true;
}

void SearchWorker::cancel()
{
    if (!m_current)
        return;
    m_current->cancelled = true;
    m_current.reset();
    emit searchCancelled();
}

void SearchWorker::deliver(const std::shared_ptr<Run>& run)
{
    // An answer of a search that was cancelled, replaced or already delivered is dropped.
    if (run != m_current)
        return;
    m_current.reset();
    ResultPages found;
    QString error;
    bool ok = false;
    {
        const QMutexLocker locked(&run->mutex);
        ok = run->ok;
        found = std::move(run->found);
        error = run->error;
    }
    if (ok)
        emit searchFound(found);
    else
        emit searchFailed(error);
}
