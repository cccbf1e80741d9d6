#pragma once

#include "store/RecordStore.h"
#include "store/ResultPages.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QThread;

// Runs RecordStore::search on a thread of its own, over a companion connection to the database
// in use (Database::openCompanion), so that the window stays free while a long search reads.
// One search at a time answers: starting another one, or cancel(), stops the one running
// (SQLite interrupts its statement) and its outcome is never delivered. Answers arrive as
// signals on the thread that owns the worker, once the first page of the result is read; the
// delivered list reads its later pages through the shared connection.
class SearchWorker final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchWorker)

public:
    explicit SearchWorker(QObject* parent = nullptr);
    // Stops every search still running and waits for its thread.
    ~SearchWorker() override;

    void start(RecordStore::SearchField field, const QString& keywords);
    // Waits at most ms for the search started last. When it ends meanwhile, its answer has been
    // delivered when this returns true.
    bool finishWithin(int ms);
    // Stops the search started last, which then never answers; searchCancelled() follows at
    // once. Does nothing when no search runs.
    void cancel();
    bool isRunning() const { return m_current != nullptr; }
    // Whether no thread of a search, cancelled or not, is still ending.
    bool isIdle() const { return m_jobs.isEmpty(); }

signals:
    void searchFound(const ResultPages& found);
    void searchFailed(const QString& error);
    void searchCancelled();

private:
    struct Run;
    struct Job
    {
        QThread* thread = nullptr;
        std::shared_ptr<Run> run;
    };

    void deliver(const std::shared_ptr<Run>& run);

    std::shared_ptr<Run> m_current;
    QList<Job> m_jobs; // threads not yet ended, the cancelled ones too
};
