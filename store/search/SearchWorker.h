#pragma once

#include "store/records/RecordStore.h"
#include "store/search/ResultPages.h"

#include <QObject>
#include <QString>

#include <memory>

class DatabaseSession;
class QThread;

// Runs RecordStore::search on a thread of its own, over a companion connection to the session's
// database (DatabaseSession::openCompanion), so that the window stays free while a long search
// reads. The companion stays open between searches, which then share its page cache, until the
// session's connection is opened anew, the companion no longer reaches its database, or
// release() is called.
//
// One search at a time answers: starting another one, or cancel(), stops the one running
// (its statement is interrupted) and its outcome is never delivered. Answers arrive as signals
// on the thread that owns the worker once the first page of the result is read; the delivered
// list reads its later pages through the shared connection.
class SearchWorker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchWorker)

public:
    // The session must outlive the worker.
    explicit SearchWorker(DatabaseSession& session, QObject* parent = nullptr);
    // Stops the search still running, closes the companion and ends the thread.
    ~SearchWorker() override;

    void start(RecordStore::SearchField field, const QString& keywords);
    // Waits at most ms for the search started last. When it ends meanwhile, its answer has been
    // delivered when this returns true.
    bool finishWithin(int ms);
    // Stops the search started last, which then never answers; searchCancelled() follows at
    // once. Does nothing when no search runs.
    void cancel();
    // Cancels as cancel() does and closes the companion connection until the next search.
    void release();
    bool isRunning() const { return m_current != nullptr; }
    // Whether the thread has no search left to run or finish, cancelled ones included.
    bool isIdle() const;

signals:
    void searchFound(const ResultPages& found);
    void searchFailed(const StoreError& error);
    void searchCancelled();

private:
    struct Run;
    struct Companion;

    void deliver(const std::shared_ptr<Run>& run);

    DatabaseSession& m_session;
    QThread* m_thread = nullptr;
    QObject* m_context = nullptr; // lives on m_thread: work is posted to it
    std::shared_ptr<Companion> m_companion;
    std::shared_ptr<Run> m_current;
};
