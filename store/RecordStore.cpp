#include "store/RecordStore.h"

#include "store/Database.h"
#include "store/SearchIndex.h"
#include "store/SqlCatalogue.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// What the user is told about a refused statement; SQLite's primary result codes.
QString plainReason(const QSqlError& sqlError)
{
    bool numeric = false;
    const int code = sqlError.nativeErrorCode().toInt(&numeric);
    switch (numeric ? code & 0xff : -1) {
    case 5: // busy
    case 6: // locked
        return QStringLiteral("The database file is in use by another program.");
    case 8:
        return QStringLiteral("The database file is read-only.");
    case 10:
        return QStringLiteral("The database file cannot be read or written.");
    case 11:
    case 26:
        return QStringLiteral("The database file is damaged or is not a Numira database.");
    case 13:
        return QStringLiteral("The disk is full.");
    default:
        break;
    }
    const QString detail =
        sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
    return QStringLiteral("The database refused the request (%1).").arg(detail);
}

bool sharedConnection(QSqlDatabase* db, QString* error)
{
    if (!Database::connectionExists()) {
        setError(error, Database::noConnectionMessage());
        return false;
    }
    *db = Database::connection();
    return true;
}

// A null text would be stored as NULL; the screens always store text.
QVariant text(const QString& value)
{
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}

bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    bool ok = query.prepare(sql);
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        setError(error, plainReason(query.lastError()));
    return ok;
}

// Reads every row. Equal neighbouring cells of a column share one string, which keeps large
// results ordered by program small.
void readListing(QSqlQuery& query, int columns, RecordStore::Listing* rows)
{
    rows->columns = columns;
    rows->cells.clear();
    while (query.next()) {
        const qsizetype previous = rows->cells.size() - columns;
        for (int column = 0; column < columns; ++column) {
            QString value = query.value(column).toString();
            if (previous >= 0 && rows->cells.at(previous + column) == value)
                rows->cells.append(rows->cells.at(previous + column));
            else
                rows->cells.append(std::move(value));
        }
    }
}

bool recordId(const QString& id, qlonglong* value)
{
    bool ok = false;
    *value = id.toLongLong(&ok);
    return ok;
}

// Runs a statement that changes the record with that id (its key bound last); *found says
// whether the record was still there. An id that is no number names no record.
bool changeRecord(const QString& id, const QString& sql, QVariantList values, bool* found,
                  QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    *found = false;
    qlonglong key = 0;
    if (!recordId(id, &key))
        return true;
    values.append(key);
    QSqlQuery query(db);
    if (!run(query, sql, values, error))
        return false;
    *found = query.numRowsAffected() > 0;
    return true;
}

// Runs work in one transaction on the shared connection: everything it wrote stays, or none.
template <class Work> bool inTransaction(QString* error, Work work)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    if (!db.transaction()) {
        setError(error, plainReason(db.lastError()));
        return false;
    }
    bool ok = true;
    {
        QSqlQuery query(db);
        ok = work(query);
    }
    if (ok && !db.commit()) {
        setError(error, plainReason(db.lastError()));
        ok = false;
    }
    if (!ok)
        db.rollback();
    return ok;
}

} // namespace

namespace RecordStore {

QString dateText(const QDateTime& moment)
{
    return moment.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

bool programNames(QStringList* names, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::ProgramNames, {}, error))
        return false;
    names->clear();
    while (query.next())
        names->append(query.value(0).toString());
    return true;
}

bool addSerial(const NewSerial& record, bool newProgram, const QDateTime& when, QString* error)
{
    return inTransaction(error, [&](QSqlQuery& query) {
        if (newProgram && !run(query, SqlCatalogue::InsertProgram, {text(record.program)}, error))
            return false;
        return run(query, SqlCatalogue::InsertSerial,
                   {text(record.program), text(record.name), text(record.serial),
                    text(record.version), dateText(when)},
                   error);
    });
}

bool serialsOfProgram(const QString& program, Listing* rows, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::SerialsOfProgram, {text(program)}, error))
        return false;
    readListing(query, 4, rows);
    return true;
}

bool deleteProgram(const QString& program, ProgramDeletion* outcome, QString* error)
{
    // The test for records and the deletion see the same state of the file.
    return inTransaction(error, [&](QSqlQuery& query) {
        if (!run(query, SqlCatalogue::CountSerialsOfProgram, {text(program)}, error))
            return false;
        if (query.next() && query.value(0).toLongLong() > 0) {
            *outcome = ProgramDeletion::StillReferenced;
            return true;
        }
        query.finish();
        if (!run(query, SqlCatalogue::DeleteFirstProgram, {text(program)}, error))
            return false;
        *outcome =
            query.numRowsAffected() > 0 ? ProgramDeletion::Deleted : ProgramDeletion::NotFound;
        return true;
    });
}

bool loadSerial(const QString& id, std::optional<SerialRecord>* record, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    record->reset();
    qlonglong key = 0;
    if (!recordId(id, &key))
        return true;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::SerialById, {key}, error))
        return false;
    if (query.next())
        *record = SerialRecord{query.value(0).toString(), query.value(1).toString(),
                               query.value(2).toString(), query.value(3).toString(),
                               query.value(4).toString()};
    return true;
}

bool updateSerial(const QString& id, const QString& version, const QString& name,
                  const QString& serial, const QDateTime& when, bool* found, QString* error)
{
    return changeRecord(id, SqlCatalogue::UpdateSerial,
                        {text(version), text(name), text(serial), dateText(when)}, found, error);
}

bool deleteSerial(const QString& id, bool* found, QString* error)
{
    return changeRecord(id, SqlCatalogue::DeleteSerial, {}, found, error);
}

std::optional<SearchField> searchFieldFromChoice(const QString& choice)
{
    if (choice == QLatin1String("All"))
        return SearchField::All;
    if (choice == QLatin1String("Program"))
        return SearchField::Program;
    if (choice == QLatin1String("Version"))
        return SearchField::Version;
    if (choice == QLatin1String("Name"))
        return SearchField::Name;
    if (choice == QLatin1String("Serial"))
        return SearchField::Serial;
    return std::nullopt;
}

bool searchSerials(SearchField field, const QString& keywords, Listing* rows, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    const QVariant keyword = text(keywords);
    QString sql;
    QVariantList values{keyword};
    switch (field) {
    case SearchField::All:
        sql = SqlCatalogue::SearchAll;
        values = {keyword, keyword, keyword, keyword};
        break;
    case SearchField::Program:
        sql = SqlCatalogue::SearchProgram;
        break;
    case SearchField::Version:
        sql = SqlCatalogue::SearchVersion;
        break;
    case SearchField::Name:
        sql = SqlCatalogue::SearchName;
        break;
    case SearchField::Serial:
        sql = SqlCatalogue::SearchSerial;
        break;
    }
    QSqlQuery query(db);
    if (!run(query, sql, values, error))
        return false;
    readListing(query, 3, rows);
    return true;
}

bool pagedSerialsOfProgram(const QString& program, ResultPages* pages, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::IdsOfProgram, {text(program)}, error))
        return false;
    QList<qint64> keys;
    while (query.next())
        keys.append(query.value(0).toLongLong());
    *pages = ResultPages::fromKeys(std::move(keys), 4, SqlCatalogue::BrowseRowById);
    return true;
}

bool pagedSearch(SearchField field, const QString& keywords, ResultPages* pages, QString* error)
{
    // Rows of the table's start that are tried first: when many of them match, most of the
    // table does, and walking the list's order finds each page at once; otherwise the matches
    // are few enough to find all and sort their keys.
    constexpr int SampleRows = 2048;
    constexpr int BroadShare = 64; // one match in this many sampled rows is broad

    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    const QVariant keyword = text(keywords);
    QSqlQuery query(db);
    QVariantList values;
    QString sql = SqlCatalogue::withPlainPlaceholders(SqlCatalogue::sampleMatches(field),
                                                      {keyword, SampleRows}, &values);
    if (!run(query, sql, values, error))
        return false;
    const qint64 sampled = query.next() ? query.value(0).toLongLong() : 0;
    query.finish();
    if (sampled * BroadShare >= SampleRows) {
        ResultPages walk = ResultPages::walk(field, keyword.toString());
        if (!walk.fetchMore(error))
            return false;
        *pages = std::move(walk);
        return true;
    }
    QString column; // empty: all four
    switch (field) {
    case SearchField::Program:
        column = QStringLiteral("program");
        break;
    case SearchField::Version:
        column = QStringLiteral("version");
        break;
    case SearchField::Name:
        column = QStringLiteral("name");
        break;
    case SearchField::Serial:
        column = QStringLiteral("serial");
        break;
    case SearchField::All:
        break;
    }
    const QString candidates = SearchIndex::candidateQuery(keywords, column);
    const bool indexed = !candidates.isEmpty() && SearchIndex::exists(db);
    values.clear();
    sql = SqlCatalogue::withPlainPlaceholders(indexed ? SqlCatalogue::matchingIdsIndexed(field)
                                                      : SqlCatalogue::matchingIdsScanned(field),
                                              {keyword, candidates}, &values);
    if (!run(query, sql, values, error))
        return false;
    QList<qint64> keys;
    while (query.next())
        keys.append(query.value(0).toLongLong());
    *pages = ResultPages::fromKeys(std::move(keys), 3, SqlCatalogue::SearchRowById);
    return true;
}

} // namespace RecordStore
