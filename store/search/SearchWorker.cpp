#include "store/search/SearchWorker.h"

#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QMutex>
#include <QSqlQuery>
#include <QThread>
#include <QWaitCondition>

#include <algorithm>
#include <atomic>

namespace {

// Connection names stay unique across workers.
std::atomic<quint64> g_workers{0};

} // namespace

struct SearchWorker::Run
{
    std::atomic<bool> cancelled{false};
    QMutex mutex;
    QWaitCondition ended;
    bool done = false;
    bool ok = false;
    ResultPages found;
    StoreError error;
};

// The companion connection; touched on the worker's thread only, apart from `pending`.
struct SearchWorker::Companion
{
    DatabaseSession* session = nullptr;
    QString name;
    bool open = false;
    quint64 opening = 0;         // the session's opening() when it was opened
    std::atomic<int> pending{0}; // searches posted and not yet ended

    void close()
    {
        if (open)
            DatabaseSession::removeConnection(name);
        open = false;
    }

    // Opens the companion when the session's connection was opened anew since, or when the
    // companion no longer reaches its database (a server that restarted).
    bool ensureOpen(StoreError* error)
    {
        const quint64 now = session->opening();
        if (open && opening == now) {
            const QSqlDatabase db = QSqlDatabase::database(name, false);
            if (DatabaseBackend::of(db).isAlive(db))
                return true;
        }
        close();
        const StoreError failure = session->openCompanion(name);
        open = !failure;
        opening = now;
        if (!open) {
            if (error)
                *error = failure;
            return false;
        }
        QSqlDatabase db = QSqlDatabase::database(name, false);
        DatabaseBackend::of(db).prepareSearchConnection(db);
        return true;
    }
};

SearchWorker::SearchWorker(DatabaseSession& session, QObject* parent)
    : QObject(parent), m_session(session), m_thread(new QThread), m_context(new QObject),
      m_companion(std::make_shared<Companion>())
{
    m_companion->session = &session;
    m_companion->name = QStringLiteral("numira-search-%1").arg(++g_workers);
    m_context->moveToThread(m_thread);
    // The connection belongs to the thread: it is closed there, as the thread ends.
    connect(
        m_thread, &QThread::finished, m_context, [companion = m_companion] { companion->close(); },
        Qt::DirectConnection);
    m_thread->start();
}

SearchWorker::~SearchWorker()
{
    if (m_current)
        m_current->cancelled = true;
    if (m_more)
        m_more->cancelled = true;
    m_thread->quit();
    m_thread->wait();
    delete m_context;
    delete m_thread;
}

void SearchWorker::start(RecordStore::SearchField field, const QString& keywords,
                         qsizetype rowsWanted)
{
    if (m_current)
        m_current->cancelled = true;
    if (m_more)
        m_more->cancelled = true;
    m_more.reset();
    auto run = std::make_shared<Run>();
    m_current = run;
    post(
        run,
        [field, keywords, rowsWanted, companion = m_companion](
            const QString& connection, ResultPages* found, StoreError* error) {
            if (!RecordStore::search(*companion->session, field, keywords, found, error,
                                     connection))
                return false;
            QString why;
            while (!found->complete() && found->rowCount() < rowsWanted && found->fetchMore(&why)) {
            }
            // The first page is read here too, so that the window only shows it.
            if (found->rowCount() > 0)
                found->cell(0, 0);
            return true;
        },
        &SearchWorker::deliver);
}

void SearchWorker::readMore(const ResultPages& list, qsizetype rowsWanted)
{
    if (m_more || list.complete())
        return;
    auto run = std::make_shared<Run>();
    run->found = list;
    m_more = run;
    post(
        run,
        [rowsWanted](const QString&, ResultPages* grown, StoreError*) {
            // A refused page ends the list where it is; the list says so by being complete.
            QString why;
            const qsizetype before = grown->rowCount();
            while (grown->fetchMore(&why) && !grown->complete() &&
                   grown->rowCount() < std::max(rowsWanted, before + 1)) {
            }
            return true;
        },
        &SearchWorker::deliverMore);
}

void SearchWorker::post(
    const std::shared_ptr<Run>& run,
    std::function<bool(const QString& connection, ResultPages* list, StoreError* error)> work,
    void (SearchWorker::*deliverer)(const std::shared_ptr<Run>&))
{
    ++m_companion->pending;
    QMetaObject::invokeMethod(
        m_context,
        [this, run, work = std::move(work), deliverer, companion = m_companion,
         shared = m_session.connectionName()] {
            ResultPages list;
            {
                const QMutexLocker locked(&run->mutex);
                list = std::move(run->found);
            }
            StoreError error;
            bool ok = false;
            // Work dropped before it began is not done at all.
            if (!run->cancelled && companion->ensureOpen(&error)) {
                const QSqlDatabase db = QSqlDatabase::database(companion->name, false);
                DatabaseSession::watchCancelFlag(db, &run->cancelled);
                list.useConnection(companion->name);
                ok = work(companion->name, &list, &error);
                DatabaseSession::watchCancelFlag(db, nullptr);
            }
            list.useConnection(shared);
            {
                const QMutexLocker locked(&run->mutex);
                run->ok = ok;
                run->found = std::move(list);
                run->error = error;
                run->done = true;
            }
            run->ended.wakeAll();
            --companion->pending;
            // The worker outlives its thread (its destructor waits for it); a worker deleted
            // before the answer arrives drops it with its other events.
            QMetaObject::invokeMethod(
                this, [this, run, deliverer] { (this->*deliverer)(run); }, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
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
    if (m_more)
        m_more->cancelled = true;
    m_more.reset();
    if (!m_current)
        return;
    m_current->cancelled = true;
    m_current.reset();
    emit searchCancelled();
}

void SearchWorker::release()
{
    cancel();
    // Closed before this returns: a compaction may follow at once.
    QMetaObject::invokeMethod(
        m_context, [companion = m_companion] { companion->close(); }, Qt::BlockingQueuedConnection);
}

bool SearchWorker::isIdle() const
{
    return m_companion->pending == 0;
}

void SearchWorker::deliver(const std::shared_ptr<Run>& run)
{
    // An answer of a search that was cancelled, replaced or already delivered is dropped.
    if (run != m_current)
        return;
    m_current.reset();
    ResultPages found;
    StoreError error;
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

void SearchWorker::deliverMore(const std::shared_ptr<Run>& run)
{
    // Pages of a list that a new search or a cancel replaced are dropped.
    if (run != m_more)
        return;
    m_more.reset();
    ResultPages grown;
    {
        const QMutexLocker locked(&run->mutex);
        grown = std::move(run->found);
    }
    emit moreFound(grown);
}
