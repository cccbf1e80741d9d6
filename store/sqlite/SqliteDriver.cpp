#include "store/sqlite/SqliteDriver.h"

#include "store/keys/SecretBytes.h"
#include "store/sqlite/SqliteResult.h"

#include <QSqlDatabase>
#include <QSqlDriverCreator>
#include <QSqlField>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

namespace {

const QString DriverName = QStringLiteral("NUMIRA_SQLCIPHER");
constexpr int DefaultBusyTimeout = 5000;
// Virtual machine steps between two looks at a cancel flag: a few microseconds.
constexpr int CancelCheckSteps = 1000;

int cancelRequested(void* flag)
{
    return static_cast<const std::atomic<bool>*>(flag)->load(std::memory_order_relaxed) ? 1 : 0;
}

QMetaType typeOfDeclaration(const QString& declared)
{
    const QString type = declared.toLower();
    if (type.contains(QLatin1String("int")))
        return QMetaType::fromType<qlonglong>();
    if (type.contains(QLatin1String("real")) || type.contains(QLatin1String("floa")) ||
        type.contains(QLatin1String("doub")))
        return QMetaType::fromType<double>();
    if (type.contains(QLatin1String("blob")))
        return QMetaType::fromType<QByteArray>();
    if (type.contains(QLatin1String("bool")))
        return QMetaType::fromType<bool>();
    return QMetaType::fromType<QString>();
}

} // namespace

QString SqliteDriver::registeredName()
{
    static const bool registered = [] {
        QSqlDatabase::registerSqlDriver(DriverName, new QSqlDriverCreator<SqliteDriver>);
        return true;
    }();
    Q_UNUSED(registered);
    return DriverName;
}

SqliteDriver::SqliteDriver(QObject* parent) : QSqlDriver(parent)
{
}

SqliteDriver::~SqliteDriver()
{
    close();
}

bool SqliteDriver::hasFeature(DriverFeature feature) const
{
    switch (feature) {
    case Transactions:
    case PreparedQueries:
    case PositionalPlaceholders:
    case LastInsertId:
    case Unicode:
    case BLOB:
    case SimpleLocking:
    case FinishQuery:
    case LowPrecisionNumbers:
    case BatchOperations:
        return true;
    default:
        // Named placeholders are turned into positional ones by Qt before prepare().
        return false;
    }
}

QSqlError SqliteDriver::errorFor(const QString& driverText, QSqlError::ErrorType type,
                                 int code) const
{
    const QString message =
        m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code));
    return QSqlError(driverText, message, type, QString::number(code));
}

bool SqliteDriver::open(const QString& db, const QString&, const QString& password, const QString&,
                        int, const QString& options)
{
    if (isOpen())
        close();
    // A Qt connection belongs to the thread that made it, and no two threads share one: the
    // connection needs no mutex of its own, which every read of a value would otherwise take.
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int busyTimeout = DefaultBusyTimeout;
    for (const QString& raw : options.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString option = raw.trimmed();
        if (option == QLatin1String("OPEN_URI"))
            flags |= SQLITE_OPEN_URI;
        else if (option == QLatin1String("OPEN_READONLY"))
            flags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
        else if (option.startsWith(QLatin1String("BUSY_TIMEOUT=")))
            busyTimeout = option.mid(13).toInt();
    }

    const int opened = sqlite3_open_v2(db.toUtf8().constData(), &m_db, flags, nullptr);
    int code = opened;
    if (opened == SQLITE_OK) {
        sqlite3_extended_result_codes(m_db, 1);
        sqlite3_busy_timeout(m_db, busyTimeout);
        if (!password.isEmpty()) {
            SecretBytes key(password);
            code = sqlite3_key(m_db, key.data(), int(key.size()));
        }
    }
    if (code != SQLITE_OK) {
        setLastError(errorFor(tr("Error opening database"), QSqlError::ConnectionError, code));
        sqlite3_close(m_db);
        m_db = nullptr;
        setOpenError(true);
        return false;
    }
    setOpen(true);
    setOpenError(false);
    return true;
}

void SqliteDriver::close()
{
    if (!m_db)
        return;
    for (SqliteResult* result : std::as_const(m_results))
        result->finalize();
    if (sqlite3_close(m_db) != SQLITE_OK)
        setLastError(errorFor(tr("Error closing database"), QSqlError::ConnectionError,
                              sqlite3_extended_errcode(m_db)));
    m_db = nullptr;
    setOpen(false);
    setOpenError(false);
}

QSqlResult* SqliteDriver::createResult() const
{
    return new SqliteResult(this);
}

void SqliteDriver::attach(SqliteResult* result) const
{
    m_results.append(result);
}

void SqliteDriver::detach(SqliteResult* result) const
{
    m_results.removeOne(result);
}

bool SqliteDriver::runStatement(const char* sql, const QString& what)
{
    if (!m_db)
        return false;
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (code == SQLITE_OK)
        return true;
    setLastError(errorFor(what, QSqlError::TransactionError, code));
    return false;
}

bool SqliteDriver::beginTransaction()
{
    return runStatement("BEGIN", tr("Unable to begin transaction"));
}

bool SqliteDriver::commitTransaction()
{
    return runStatement("COMMIT", tr("Unable to commit transaction"));
}

bool SqliteDriver::rollbackTransaction()
{
    return runStatement("ROLLBACK", tr("Unable to rollback transaction"));
}

QStringList SqliteDriver::tables(QSql::TableType type) const
{
    QStringList names;
    if (!isOpen())
        return names;
    QString condition;
    if (type & QSql::Tables)
        condition = QStringLiteral("type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    if (type & QSql::Views)
        condition += (condition.isEmpty() ? QString() : QStringLiteral(" OR ")) +
                     QStringLiteral("type = 'view'");
    if (type & QSql::SystemTables)
        names << QStringLiteral("sqlite_master");
    if (condition.isEmpty())
        return names;
    QSqlQuery query(createResult());
    query.setForwardOnly(true);
    if (query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE ") + condition)) {
        while (query.next())
            names << query.value(0).toString();
    }
    return names;
}

QSqlRecord SqliteDriver::record(const QString& tableName) const
{
    QSqlRecord fields;
    if (!isOpen())
        return fields;
    QSqlQuery query(createResult());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("PRAGMA table_info(") + escapeIdentifier(tableName, TableName) +
                    QLatin1Char(')')))
        return fields;
    while (query.next()) {
        QSqlField field(query.value(1).toString(), typeOfDeclaration(query.value(2).toString()),
                        tableName);
        field.setRequired(query.value(3).toInt() != 0);
        field.setDefaultValue(query.value(4));
        fields.append(field);
    }
    return fields;
}

QSqlIndex SqliteDriver::primaryIndex(const QString& tableName) const
{
    QSqlIndex index(tableName);
    if (!isOpen())
        return index;
    QSqlQuery query(createResult());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("PRAGMA table_info(") + escapeIdentifier(tableName, TableName) +
                    QLatin1Char(')')))
        return index;
    while (query.next()) {
        if (query.value(5).toInt() > 0)
            index.append(QSqlField(query.value(1).toString(),
                                   typeOfDeclaration(query.value(2).toString()), tableName));
    }
    return index;
}

QString SqliteDriver::escapeIdentifier(const QString& identifier, IdentifierType) const
{
    if (identifier.size() > 1 && identifier.startsWith(QLatin1Char('"')) &&
        identifier.endsWith(QLatin1Char('"')))
        return identifier;
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

void SqliteDriver::setCancelFlag(const std::atomic<bool>* flag)
{
    if (!m_db)
        return;
    if (flag)
        sqlite3_progress_handler(m_db, CancelCheckSteps, &cancelRequested,
                                 const_cast<std::atomic<bool>*>(flag));
    else
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}

QVariant SqliteDriver::handle() const
{
    return QVariant::fromValue(static_cast<void*>(m_db));
}
