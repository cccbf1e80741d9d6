#pragma once

#include "store/records/RecordStore.h"
#include "store/search/ResultPages.h"

#include <QObject>
#include <QString>

#include <functional>
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
// on the thread that owns the worker once the first page of the result is read. The list's
// later pages are read here too (readMore), so the window's thread never waits for a walk;
// the delivered list reads through the shared connection only a page it let go of.
class SearchWorker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchWorker)

public:
    // The session must outlive the worker.
    explicit SearchWorker(DatabaseSession& session, QObject* parent = nullptr);
    // Stops the search still running, closes the companion and ends the thread.
    ~SearchWorker() override;

    // Searches; the answer holds at least rowsWanted rows where there are that many (a list
    // read again keeps the rows that were shown).
    void start(RecordStore::SearchField field, const QString& keywords, qsizetype rowsWanted = 0);
    // Reads the pages that follow the list's last row, up to rowsWanted rows in all (at least
    // one page), and answers with the longer list in moreFound(). The list must be the one the
    // last search answered with, or grown from it. A read already under way goes on and this
    // one is not made; a new search, cancel() and release() drop it.
    void readMore(const ResultPages& list, qsizetype rowsWanted = 0);
    bool isReadingMore() const { return m_more != nullptr; }
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
    // The list handed to readMore() with the pages that follow it; complete when the end was
    // reached or the database refused a page (the rows read stay valid).
    void moreFound(const ResultPages& grown);

private:
    struct Run;
    struct Companion;

    void deliver(const std::shared_ptr<Run>& run);
    void deliverMore(const std::shared_ptr<Run>& run);
    // Runs work on the worker's thread, over the companion opened for it, with the run's
    // cancel flag watched; then hands the run to deliverer on the worker's owner thread.
    void
    post(const std::shared_ptr<Run>& run,
         std::function<bool(const QString& connection, ResultPages* list, StoreError* error)> work,
         void (SearchWorker::*deliverer)(const std::shared_ptr<Run>&));

    DatabaseSession& m_session;
    QThread* m_thread = nullptr;
    QObject* m_context = nullptr; // lives on m_thread: work is posted to it
    std::shared_ptr<Companion> m_companion;
    std::shared_ptr<Run> m_current;
    std::shared_ptr<Run> m_more; // the later pages being read
};
