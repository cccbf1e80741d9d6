#include "store/sqlite/SqliteResult.h"

#include "store/sqlite/SqliteDriver.h"

#include <QDateTime>
#include <QSqlField>

#include <sqlite3.h>

namespace {

// Whether Qt means SQL NULL by the value: an empty variant, or a null string, byte array or
// date of a given type.
bool isNullValue(const QVariant& value)
{
    if (value.isNull())
        return true;
    switch (value.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString*>(value.constData())->isNull();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray*>(value.constData())->isNull();
    case QMetaType::QDateTime:
        return static_cast<const QDateTime*>(value.constData())->isNull();
    case QMetaType::QDate:
        return static_cast<const QDate*>(value.constData())->isNull();
    case QMetaType::QTime:
        return static_cast<const QTime*>(value.constData())->isNull();
    default:
        return false;
    }
}

int bindText(sqlite3_stmt* statement, int index, const QString& text,
             sqlite3_destructor_type keep = SQLITE_TRANSIENT)
{
    return sqlite3_bind_text16(statement, index, text.utf16(), int(text.size() * sizeof(QChar)),
                               keep);
}

int bindOne(sqlite3_stmt* statement, int index, const QVariant& value)
{
    if (isNullValue(value))
        return sqlite3_bind_null(statement, index);
    switch (value.typeId()) {
    case QMetaType::QByteArray: {
        const QByteArray* bytes = static_cast<const QByteArray*>(value.constData());
        return sqlite3_bind_blob(statement, index, bytes->constData(), int(bytes->size()),
                                 SQLITE_TRANSIENT);
    }
    case QMetaType::Bool:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
        return sqlite3_bind_int64(statement, index, value.toLongLong());
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return sqlite3_bind_int64(statement, index, qint64(value.toULongLong()));
    case QMetaType::Float:
    case QMetaType::Double:
        return sqlite3_bind_double(statement, index, value.toDouble());
    case QMetaType::QDateTime:
        return bindText(statement, index, value.toDateTime().toString(Qt::ISODateWithMs));
    case QMetaType::QTime:
        return bindText(statement, index, value.toTime().toString(QStringLiteral("hh:mm:ss.zzz")));
    case QMetaType::QString:
        return bindText(statement, index, *static_cast<const QString*>(value.constData()));
    default:
        return bindText(statement, index, value.toString());
    }
}

QMetaType typeOfColumn(sqlite3_stmt* statement, int column)
{
    const char* declared = sqlite3_column_decltype(statement, column);
    const QByteArray type = QByteArray(declared ? declared : "").toLower();
    if (type.contains("int"))
        return QMetaType::fromType<qlonglong>();
    if (type.contains("real") || type.contains("floa") || type.contains("doub"))
        return QMetaType::fromType<double>();
    if (type.contains("blob"))
        return QMetaType::fromType<QByteArray>();
    if (type.contains("bool"))
        return QMetaType::fromType<bool>();
    return QMetaType::fromType<QString>();
}

} // namespace

SqliteResult::SqliteResult(const SqliteDriver* driver) : QSqlResult(driver)
{
    driver->attach(this);
}

SqliteResult::~SqliteResult()
{
    if (const SqliteDriver* owner = sqliteDriver())
        owner->detach(this);
    finalize();
}

const SqliteDriver* SqliteResult::sqliteDriver() const
{
    return static_cast<const SqliteDriver*>(driver());
}

void SqliteResult::finalize()
{
    if (m_statement)
        sqlite3_finalize(m_statement);
    m_statement = nullptr;
    m_rowPending = false;
    m_done = false;
    m_row = -1;
    m_recordRead = false;
    m_record.clear();
}

QVariant SqliteResult::handle() const
{
    return QVariant::fromValue(static_cast<void*>(m_statement));
}

void SqliteResult::fail(const QString& what, QSqlError::ErrorType type, int code)
{
    setLastError(sqliteDriver()->errorFor(what, type, code));
}

bool SqliteResult::prepare(const QString& query)
{
    finalize();
    setSelect(false);
    setActive(false);
    const SqliteDriver* owner = sqliteDriver();
    if (!owner || !owner->connection()) {
        setLastError(QSqlError(QStringLiteral("The database is not open"), QString(),
                               QSqlError::ConnectionError));
        return false;
    }
    const QByteArray text = query.toUtf8();
    const char* tail = nullptr;
    const int code = sqlite3_prepare_v2(owner->connection(), text.constData(), int(text.size()),
                                        &m_statement, &tail);
    if (code != SQLITE_OK) {
        fail(QStringLiteral("Unable to execute statement"), QSqlError::StatementError, code);
        finalize();
        return false;
    }
    if (tail && !QByteArray(tail).trimmed().isEmpty()) {
        setLastError(QSqlError(QStringLiteral("Unable to execute multiple statements at a time"),
                               QString(), QSqlError::StatementError,
                               QString::number(SQLITE_MISUSE)));
        finalize();
        return false;
    }
    return true;
}

bool SqliteResult::reset(const QString& query)
{
    return prepare(query) && exec();
}

bool SqliteResult::bindValues()
{
    const QVariantList values = boundValues();
    const int expected = sqlite3_bind_parameter_count(m_statement);
    if (expected != values.size()) {
        setLastError(QSqlError(QStringLiteral("Parameter count mismatch"), QString(),
                               QSqlError::StatementError, QString::number(SQLITE_RANGE)));
        return false;
    }
    for (int i = 0; i < expected; ++i) {
        const int code = bindOne(m_statement, i + 1, values.at(i));
        if (code != SQLITE_OK) {
            fail(QStringLiteral("Unable to bind parameters"), QSqlError::StatementError, code);
            return false;
        }
    }
    return true;
}

bool SqliteResult::beginExec()
{
    setActive(false);
    setAt(QSql::BeforeFirstRow);
    m_changes = -1;
    if (!m_statement) {
        setLastError(QSqlError(QStringLiteral("No statement to execute"), QString(),
                               QSqlError::StatementError, QString::number(SQLITE_MISUSE)));
        return false;
    }
    return true;
}

bool SqliteResult::exec()
{
    if (!beginExec())
        return false;
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_rowPending = false;
    m_done = false;
    m_row = -1;
    if (!bindValues())
        return false;

    sqlite3* db = sqliteDriver()->connection();
    const sqlite3_int64 changesBefore = sqlite3_total_changes64(db);
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW) {
        m_rowPending = true;
        setSelect(true);
    } else if (code == SQLITE_DONE) {
        m_done = true;
        setSelect(sqlite3_column_count(m_statement) > 0);
        // Rows changed by this statement itself, not by the triggers it fired.
        m_changes = sqlite3_total_changes64(db) != changesBefore ? sqlite3_changes(db) : 0;
        sqlite3_reset(m_statement);
    } else {
        fail(QStringLiteral("Unable to fetch row"), QSqlError::StatementError, code);
        sqlite3_reset(m_statement);
        m_done = true;
        return false;
    }
    setActive(true);
    return true;
}

bool SqliteResult::execBatch(bool arrayBind)
{
    Q_UNUSED(arrayBind);
    if (!beginExec())
        return false;
    const QVariantList bound = boundValues();
    const int expected = sqlite3_bind_parameter_count(m_statement);
    QList<QVariantList> columns;
    for (const QVariant& column : bound)
        columns.append(column.toList());
    const qsizetype rows = columns.isEmpty() ? 0 : columns.first().size();
    bool even = expected == columns.size();
    for (const QVariantList& column : std::as_const(columns))
        even = even && column.size() == rows;
    if (!even) {
        setLastError(QSqlError(QStringLiteral("Parameter count mismatch"), QString(),
                               QSqlError::StatementError, QString::number(SQLITE_RANGE)));
        return false;
    }
    m_rowPending = false;
    m_row = -1;
    sqlite3* db = sqliteDriver()->connection();
    int changes = 0;
    for (qsizetype row = 0; row < rows; ++row) {
        const sqlite3_int64 changesBefore = sqlite3_total_changes64(db);
        sqlite3_reset(m_statement);
        for (int i = 0; i < expected; ++i) {
            const QVariant& value = columns.at(i).at(row);
            // A text is bound where it lies: columns outlive the step that reads it.
            const int code =
                value.typeId() == QMetaType::QString && !isNullValue(value)
                    ? bindText(m_statement, i + 1, *static_cast<const QString*>(value.constData()),
                               SQLITE_STATIC)
                    : bindOne(m_statement, i + 1, value);
            if (code != SQLITE_OK) {
                fail(QStringLiteral("Unable to bind parameters"), QSqlError::StatementError, code);
                sqlite3_clear_bindings(m_statement);
                return false;
            }
        }
        const int code = sqlite3_step(m_statement);
        if (code != SQLITE_DONE && code != SQLITE_ROW) {
            fail(QStringLiteral("Unable to execute statement"), QSqlError::StatementError, code);
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
            m_done = true;
            return false;
        }
        // Rows changed by the statement itself, not by the triggers it fired.
        if (sqlite3_total_changes64(db) != changesBefore)
            changes += sqlite3_changes(db);
    }
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    m_done = true;
    m_changes = changes;
    setSelect(false);
    setActive(true);
    return true;
}

bool SqliteResult::stepRow()
{
    if (m_rowPending) {
        m_rowPending = false;
        ++m_row;
        return true;
    }
    if (m_done || !m_statement)
        return false;
    const int code = sqlite3_step(m_statement);
    if (code == SQLITE_ROW) {
        ++m_row;
        return true;
    }
    if (code != SQLITE_DONE)
        fail(QStringLiteral("Unable to fetch row"), QSqlError::StatementError, code);
    // Resetting at the end gives up the read lock at once, as a finished query should.
    sqlite3_reset(m_statement);
    m_done = true;
    return false;
}

void SqliteResult::rewind()
{
    sqlite3_reset(m_statement);
    m_rowPending = false;
    m_done = false;
    m_row = -1;
}

bool SqliteResult::fetch(int index)
{
    if (!m_statement || !isActive() || !isSelect() || index < 0)
        return false;
    if (index <= m_row) {
        if (index == m_row && !m_done) {
            setAt(index);
            return true;
        }
        if (isForwardOnly() && index < m_row)
            return false;
        rewind();
    } else if (m_done) {
        setAt(QSql::AfterLastRow);
        return false;
    }
    while (m_row < index) {
        if (!stepRow()) {
            setAt(QSql::AfterLastRow);
            return false;
        }
    }
    setAt(index);
    return true;
}

bool SqliteResult::fetchFirst()
{
    return fetch(0);
}

bool SqliteResult::fetchNext()
{
    return fetch(at() < 0 ? 0 : at() + 1);
}

bool SqliteResult::fetchLast()
{
    if (!m_statement || !isActive() || !isSelect())
        return false;
    if (isForwardOnly()) {
        // Only what lies ahead can be walked: stop on the last row.
        int last = at();
        while (stepRow())
            last = m_row;
        if (last < 0)
            return false;
        // The statement has gone past its last row; read it again.
        rewind();
        return fetch(last);
    }
    rewind();
    int count = 0;
    while (stepRow())
        ++count;
    if (count == 0)
        return false;
    rewind();
    return fetch(count - 1);
}

QVariant SqliteResult::data(int field)
{
    if (!m_statement || m_row < 0 || m_done || field < 0 ||
        field >= sqlite3_column_count(m_statement))
        return QVariant();
    switch (sqlite3_column_type(m_statement, field)) {
    case SQLITE_INTEGER: {
        const qint64 value = sqlite3_column_int64(m_statement, field);
        if (numericalPrecisionPolicy() == QSql::LowPrecisionInt32)
            return int(value);
        return value;
    }
    case SQLITE_FLOAT: {
        const double value = sqlite3_column_double(m_statement, field);
        switch (numericalPrecisionPolicy()) {
        case QSql::LowPrecisionInt32:
            return int(value);
        case QSql::LowPrecisionInt64:
            return qint64(value);
        default:
            return value;
        }
    }
    case SQLITE_NULL:
        return QVariant(QMetaType::fromType<QString>());
    case SQLITE_BLOB: {
        const void* bytes = sqlite3_column_blob(m_statement, field);
        return QByteArray(static_cast<const char*>(bytes),
                          sqlite3_column_bytes(m_statement, field));
    }
    default: {
        const unsigned char* text = sqlite3_column_text(m_statement, field);
        return QString::fromUtf8(reinterpret_cast<const char*>(text),
                                 sqlite3_column_bytes(m_statement, field));
    }
    }
}

bool SqliteResult::isNull(int field)
{
    if (!m_statement || m_row < 0 || m_done)
        return true;
    return sqlite3_column_type(m_statement, field) == SQLITE_NULL;
}

int SqliteResult::size()
{
    return -1;
}

int SqliteResult::numRowsAffected()
{
    return m_changes;
}

QVariant SqliteResult::lastInsertId() const
{
    const SqliteDriver* owner = sqliteDriver();
    if (!owner || !owner->connection())
        return QVariant();
    const qint64 id = sqlite3_last_insert_rowid(owner->connection());
    return id ? QVariant(id) : QVariant();
}

QSqlRecord SqliteResult::record() const
{
    if (!m_statement || !isActive() || !isSelect())
        return QSqlRecord();
    if (!m_recordRead) {
        m_record.clear();
        const int columns = sqlite3_column_count(m_statement);
        for (int i = 0; i < columns; ++i) {
            m_record.append(QSqlField(QString::fromUtf8(sqlite3_column_name(m_statement, i)),
                                      typeOfColumn(m_statement, i)));
        }
        m_recordRead = true;
    }
    return m_record;
}

void SqliteResult::detachFromResultSet()
{
    if (m_statement)
        sqlite3_reset(m_statement);
    m_rowPending = false;
    m_done = true;
}
