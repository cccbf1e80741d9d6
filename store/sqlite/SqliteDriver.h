#pragma once

#include <QList>
#include <QSqlDriver>
#include <QSqlError>

#include <atomic>

struct sqlite3;
class SqliteResult;

// Numira's Qt SQL driver over the SQLCipher library built into the program, so that every
// database, protected by a passphrase or not, is opened with the same SQLite and every
// QSqlQuery keeps working unchanged.
//
// Open options, separated by ';': OPEN_URI (the name is a file: URI), OPEN_READONLY, and
// BUSY_TIMEOUT=ms (how long a statement waits for another connection's lock; 5000 ms when not
// given). The password given to QSqlDatabase::open() is the database's passphrase: it is handed
// to SQLCipher before anything is read and is not kept. A wrong one shows on the first read
// ("file is not a database").
class SqliteDriver final : public QSqlDriver
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SqliteDriver)

public:
    // The name under which QSqlDatabase::addDatabase() finds this driver. Registers the driver
    // with Qt on the first call; use it instead of the bare name.
    static QString registeredName();

    explicit SqliteDriver(QObject* parent = nullptr);
    ~SqliteDriver() override;

    bool hasFeature(DriverFeature feature) const override;
    bool open(const QString& db, const QString& user, const QString& password, const QString& host,
              int port, const QString& options) override;
    void close() override;
    QSqlResult* createResult() const override;

    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

    QStringList tables(QSql::TableType type) const override;
    QSqlRecord record(const QString& tableName) const override;
    QSqlIndex primaryIndex(const QString& tableName) const override;
    QString escapeIdentifier(const QString& identifier, IdentifierType type) const override;
    QVariant handle() const override;

    sqlite3* connection() const { return m_db; }
    // While *flag is true (another thread may set it), a statement stops within a thousand
    // steps of SQLite's machine and fails with "interrupted"; a statement shorter than that
    // still ends normally. Null removes the watch. The flag must outlive the watch.
    void setCancelFlag(const std::atomic<bool>* flag);
    // A QSqlError carrying SQLite's own message and its (extended) result code.
    QSqlError errorFor(const QString& driverText, QSqlError::ErrorType type, int code) const;

private:
    friend class SqliteResult;
    void attach(SqliteResult* result) const;
    void detach(SqliteResult* result) const;
    bool runStatement(const char* sql, const QString& what);

    sqlite3* m_db = nullptr;
    // Live results, whose statements must be finalised before the connection closes.
    mutable QList<SqliteResult*> m_results;
};
