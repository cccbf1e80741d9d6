#pragma once

#include <QSqlError>
#include <QSqlRecord>
#include <QSqlResult>

struct sqlite3_stmt;
class SqliteDriver;

// One statement of a SqliteDriver connection. Rows are read straight from SQLite's current
// row, nothing is copied ahead: reading forward is one sqlite3_step per row. Going back (only
// allowed when the query is not forward-only) runs the statement again from its start.
class SqliteResult final : public QSqlResult
{
    Q_DISABLE_COPY_MOVE(SqliteResult)

public:
    explicit SqliteResult(const SqliteDriver* driver);
    ~SqliteResult() override;

    // Frees the statement; the driver calls it before the connection closes.
    void finalize();
    QVariant handle() const override;

protected:
    QVariant data(int field) override;
    bool isNull(int field) override;
    bool reset(const QString& query) override;
    bool prepare(const QString& query) override;
    bool exec() override;
    // The statement once for each row of the bound columns (QSqlQuery::execBatch), each value
    // bound straight from its column: many rows cost one call instead of one exec apiece.
    bool execBatch(bool arrayBind = false) override;
    bool fetch(int index) override;
    bool fetchFirst() override;
    bool fetchNext() override;
    bool fetchLast() override;
    int size() override;
    int numRowsAffected() override;
    QVariant lastInsertId() const override;
    QSqlRecord record() const override;
    void detachFromResultSet() override;

private:
    // Readies the result for a run of its statement; false (with the error) without one.
    bool beginExec();
    const SqliteDriver* sqliteDriver() const;
    bool bindValues();
    // Moves the statement to its next row; false at the end or on an error (then lastError()).
    bool stepRow();
    void rewind();
    void fail(const QString& what, QSqlError::ErrorType type, int code);

    sqlite3_stmt* m_statement = nullptr;
    bool m_rowPending = false; // exec() stepped onto the first row, fetch has not taken it yet
    bool m_done = false;
    int m_row = -1; // the row the statement stands on
    int m_changes = -1;
    mutable QSqlRecord m_record;
    mutable bool m_recordRead = false;
};
