// Each kind of database through its backend alone: every text a backend sends runs on a real
// database of its kind (a SQLite file, a PostgreSQL server of the test's own) with values bound
// as the store binds them, and finds and orders what a file's LIKE and NOCASE columns would; the
// server's statements give the file's rows; driver errors become the kinds callers decide by;
// addresses and connections pick their backend.

#include "store/DatabaseBackend.h"
#include "store/search/SearchIndex.h"
#include "store/server/ServerBackend.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SqlCatalogue.h"
#include "store/sqlite/SqliteDriver.h"
#include "support/PostgresServer.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include <algorithm>
#include <optional>

using Rows = QList<QStringList>;
using SqlCatalogue::Cells;
using SqlCatalogue::Field;
using SqlCatalogue::Source;

namespace {

const QString Null = QStringLiteral("<null>");
const QString FileConnection = QStringLiteral("backends-file");
const QString ServerConnectionName = QStringLiteral("backends-server");

QVariant nullText()
{
    return QVariant(QMetaType::fromType<QString>());
}

QVariant textOrNull(const char* text)
{
    return text ? QVariant(QString::fromUtf8(text)) : nullText();
}

// One stored record, as the test inserts it into both kinds.
struct Record
{
    qint64 id = 0;
    QVariant program;
    QVariant version;
    QVariant name;
    QVariant serial;
    QVariant date;
};

// Missing values, letter case that only differs, LIKE's wildcards and a backslash stored as
// text, letters beyond ASCII (which neither kind folds), and ties in (program, version).
QList<Record> fixtureRecords()
{
    struct Row
    {
        const char *program, *version, *name, *serial, *date;
    };
    const Row rows[] = {
        {nullptr, nullptr, nullptr, nullptr, nullptr},
        {"Editor", nullptr, "Ann", "ED-100%", "2024-01-01T00:00:00"},
        {"editor", "2.0", "bob_smith", "ed_200", "2024-01-02T00:00:00"},
        {"EDITOR", "10", "Cid", "ED-300", "2024-01-03T00:00:00"},
        {"Editor", "2.0", "ann", "ed-2.0", "2024-01-04T00:00:00"},
        {"Zeta_Tools", "", "zed", "Z%Z", ""},
        {"zeta tools", "1.0a", "%percent", "ab_cd", "2024-02-01T00:00:00"},
        {"\xC3\x84rger", "1", "\xC3\x9Cn\xC3\xAF", "\xC3\x84\xC3\x96\xC3\x9C-\xC3\xA9", ""},
        {"\xC3\xA4rger", "2", "klein", "\xC3\xA4-2", ""},
        {"", "1.0A", "empty program", "E-1", ""},
        {"_under", "1.0", "x", "100%", ""},
        {"Editor", "1.0A", "Dee", "ED-1.0A", ""},
        {"Beta", nullptr, "no version", "B-NULL", ""},
        {"beta", "", "empty version", "B-EMPTY", ""},
        {"a\\b", "\\", "back\\slash", "a\\b\\c", ""},
        {"Editor", "2.0", nullptr, "ED-2.0-B", ""},
    };
    QList<Record> records;
    qint64 id = 0;
    for (const Row& row : rows)
        records.append({++id, textOrNull(row.program), textOrNull(row.version),
                        textOrNull(row.name), textOrNull(row.serial), textOrNull(row.date)});
    return records;
}

// The program names, in the order they were entered; two differ only in letter case.
const char* const FixturePrograms[] = {"Editor", "zeta tools",   "Zeta_Tools", nullptr,  "",
                                       "beta",   "\xC3\x84rger", "Beta",       "_under", "a\\b"};

// Keywords with and without a run of three characters (the file's index narrows only those),
// wildcards, case, and letters beyond ASCII.
const QStringList Keywords = {"",         "editor",     "EDIT", "ed",   "%",     "_",
                              "d_",       "0%",         "2.0",  "1.0a", "tools", "zeta t",
                              "\xC3\xA4", "\xC3\x84rg", "a\\b", "null"};

// A file's folding: ASCII letters only, then UTF-8 byte order.
QByteArray folded(const QVariant& value)
{
    QByteArray bytes = value.toString().toUtf8();
    for (char& c : bytes)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return bytes;
}

uint foldedChar(uint c)
{
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

// SQLite's LIKE of a text column: "%" any run, "_" one character, ASCII letters without case.
bool likeMatches(const QList<uint>& text, qsizetype t, const QList<uint>& pattern, qsizetype p)
{
    for (; p < pattern.size(); ++p, ++t) {
        if (pattern.at(p) == '%') {
            for (qsizetype from = t; from <= text.size(); ++from)
                if (likeMatches(text, from, pattern, p + 1))
                    return true;
            return false;
        }
        if (t >= text.size())
            return false;
        if (pattern.at(p) != '_' && foldedChar(pattern.at(p)) != foldedChar(text.at(t)))
            return false;
    }
    return t == text.size();
}

bool contains(const QVariant& value, const QString& keyword)
{
    if (value.isNull())
        return false;
    const QString pattern = QLatin1Char('%') + keyword + QLatin1Char('%');
    return likeMatches(value.toString().toUcs4(), 0, pattern.toUcs4(), 0);
}

bool matches(const Record& record, Field field, const QString& keyword)
{
    switch (field) {
    case Field::Program:
        return contains(record.program, keyword);
    case Field::Version:
        return contains(record.version, keyword);
    case Field::Name:
        return contains(record.name, keyword);
    case Field::Serial:
        return contains(record.serial, keyword);
    case Field::All:
        break;
    }
    return contains(record.program, keyword) || contains(record.version, keyword) ||
           contains(record.name, keyword) || contains(record.serial, keyword);
}

// The list order: program, version (missing first, A-Z without case), key.
bool listedBefore(const Record& a, const Record& b)
{
    const auto key = [](const Record& r) {
        return std::make_tuple(!r.program.isNull(), folded(r.program), !r.version.isNull(),
                               folded(r.version), r.id);
    };
    return key(a) < key(b);
}

QString cell(const QVariant& value)
{
    return value.isNull() ? Null : value.toString();
}

QStringList cellsOf(const Record& record, Cells cells)
{
    QStringList row{QString::number(record.id)};
    if (cells != Cells::Key)
        row << cell(record.program) << cell(record.version);
    if (cells == Cells::Record)
        row << cell(record.name) << cell(record.serial) << cell(record.date);
    return row;
}

// The rows a search must give, worked out without SQL.
Rows expectedRows(const QList<Record>& records, Field field, const QString& keyword, Cells cells,
                  const Record* after, qint64 limit)
{
    QList<Record> listed = records;
    std::sort(listed.begin(), listed.end(), listedBefore);
    Rows rows;
    for (const Record& record : listed) {
        if (!matches(record, field, keyword) || (after && !listedBefore(*after, record)))
            continue;
        if (limit >= 0 && rows.size() >= limit)
            break;
        rows << cellsOf(record, cells);
    }
    return rows;
}

// Runs a text on the connection with its values bound in order; the rows, or nothing with the
// reason.
std::optional<Rows> rowsOf(const QSqlDatabase& db, const QString& sql, const QVariantList& values,
                           QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool ok = query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    ok = ok && query.exec();
    if (!ok) {
        *error = query.lastError().text() + QStringLiteral(" in: ") + sql;
        return std::nullopt;
    }
    Rows rows;
    while (query.next()) {
        QStringList row;
        for (int column = 0; column < query.record().count(); ++column)
            row << (query.isNull(column) ? Null : query.value(column).toString());
        rows << row;
    }
    return rows;
}

// Transaction control is run as the store runs it: unprepared (a server prepares no BEGIN).
bool control(const QSqlDatabase& db, const QString& sql, QString* error)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    *error = query.lastError().text() + QStringLiteral(" in: ") + sql;
    return false;
}

// A text numbering its parameters, bound as the store binds a search's: ?1 keyword,
// ?2 the index's query, ?3 to ?5 the row after which to start, ?6 the rows wanted, ?7 and ?8
// the rows a probing walk looks at and where.
std::optional<Rows> numberedRowsOf(const QSqlDatabase& db, const QString& sql,
                                   const QVariantList& numbered, QString* error)
{
    QVariantList values;
    const QString plain = SqlCatalogue::withPlainPlaceholders(sql, numbered, &values);
    return rowsOf(db, plain, values, error);
}

QString sourceName(Source source)
{
    switch (source) {
    case Source::Candidates:
        return QStringLiteral("candidates");
    case Source::Walk:
        return QStringLiteral("walk");
    case Source::CandidateWalk:
        return QStringLiteral("candidate walk");
    case Source::Scan:
        return QStringLiteral("scan");
    case Source::ServerCandidates:
        return QStringLiteral("server candidates");
    case Source::ServerWalk:
        return QStringLiteral("server walk");
    case Source::ServerScan:
        return QStringLiteral("server scan");
    }
    return QString();
}

QString fieldName(Field field)
{
    switch (field) {
    case Field::All:
        return QStringLiteral("all");
    case Field::Program:
        return QStringLiteral("program");
    case Field::Version:
        return QStringLiteral("version");
    case Field::Name:
        return QStringLiteral("name");
    case Field::Serial:
        return QStringLiteral("serial");
    }
    return QString();
}

// Rows whose cell in the column compares equal without case (the statement leaves their order
// open) are put in one order, so that two kinds' rows compare.
Rows withTiesSorted(Rows rows, int column)
{
    qsizetype start = 0;
    while (start < rows.size()) {
        qsizetype end = start + 1;
        const auto key = [column](const QStringList& row) {
            return row.at(column) == Null ? QByteArray("\0null", 5) : folded(row.at(column));
        };
        while (end < rows.size() && key(rows.at(end)) == key(rows.at(start)))
            ++end;
        std::sort(rows.begin() + start, rows.begin() + end);
        start = end;
    }
    return rows;
}

enum class Compare
{
    Exact,   // the same rows in the same order
    TiesOn1, // the same order of the second column's values; equal ones in any order
    TiesOn0, // the same for the first column
    AsSet,   // the same rows in any order
    Tables   // both name the tables "programs" and "serials"
};

} // namespace

Q_DECLARE_METATYPE(Source)
Q_DECLARE_METATYPE(Field)
Q_DECLARE_METATYPE(Compare)
Q_DECLARE_METATYPE(StoreError::Kind)
Q_DECLARE_METATYPE(QSqlError::ErrorType)

class BackendsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_serverFolder;
    std::unique_ptr<PostgresServer> m_server;
    QString m_noServer; // why there is no server
    std::unique_ptr<TestEnv> m_env;
    QString m_file;
    QString m_serverDatabase;
    QList<Record> m_records;

    QSqlDatabase fileDb() const { return QSqlDatabase::database(FileConnection, false); }
    QSqlDatabase serverDb() const { return QSqlDatabase::database(ServerConnectionName, false); }
    QSqlDatabase dbOf(const QString& kind) const
    {
        return kind == QLatin1String("file") ? fileDb() : serverDb();
    }

    // Stores the fixture through the backend's own insert texts.
    static bool fill(const QSqlDatabase& db, const QList<Record>& records, QString* error)
    {
        const DatabaseBackend& backend = DatabaseBackend::of(db);
        for (const char* program : FixturePrograms)
            if (!rowsOf(db, backend.statement(SqlCatalogue::InsertProgram), {textOrNull(program)},
                        error))
                return false;
        for (const Record& r : records)
            if (!rowsOf(db, backend.statement(SqlCatalogue::InsertSerial),
                        {r.program, r.name, r.serial, r.version, r.date}, error))
                return false;
        return true;
    }

    // The program names in the order they were entered (each kind names its entry order).
    static Rows programsByEntry(const QSqlDatabase& db)
    {
        const bool server = &DatabaseBackend::of(db) == &ServerBackend::instance();
        QString error;
        return rowsOf(db,
                      server ? QStringLiteral("SELECT program FROM programs ORDER BY id")
                             : QStringLiteral("SELECT program FROM programs ORDER BY rowid"),
                      {}, &error)
            .value_or(Rows{{error}});
    }

    static Rows recordsWithoutKeys(const QSqlDatabase& db)
    {
        QString error;
        return rowsOf(db,
                      QStringLiteral("SELECT program, version, name, serial, date FROM serials "
                                     "ORDER BY id"),
                      {}, &error)
            .value_or(Rows{{error}});
    }

private slots:
    void initTestCase()
    {
        m_records = fixtureRecords();
        m_env = std::make_unique<TestEnv>();
        m_file = m_env->makeDatabase(m_env->path(QStringLiteral("backends.mdb")));
        QVERIFY(!FileBackend::instance().open(m_file, FileConnection, {}));
        QString error;
        QVERIFY2(fill(fileDb(), m_records, &error), qPrintable(error));

        if (PostgresServer::programFolder(&m_noServer).isEmpty())
            return;
        QVERIFY(m_serverFolder.isValid());
        m_server = std::make_unique<PostgresServer>(m_serverFolder.path());
        // Programs that are installed must start: only their absence skips the server's cases.
        QVERIFY2(m_server->start(&error), qPrintable(error));
        m_serverDatabase = QStringLiteral("backends");
        QVERIFY2(m_server->createDatabase(m_serverDatabase, &error), qPrintable(error));
        const StoreError opened = ServerBackend::instance().open(
            m_server->address(m_serverDatabase), ServerConnectionName, {});
        QVERIFY2(!opened, qPrintable(opened.message()));
        QVERIFY2(fill(serverDb(), m_records, &error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        for (const QString& name : QSqlDatabase::connectionNames()) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        m_server.reset();
        m_env.reset();
    }

    // Every search text of each kind, for every field, cell set, starting row and limit, runs on
    // its kind with the store's numbered values and gives exactly the records a file's LIKE
    // finds, in the list order, so both kinds give the same ids in the same order.
    void searchTextsFindWhatLikeFindsInListOrder_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Source>("source");
        QTest::addColumn<Field>("field");
        const QList<QPair<QString, QList<Source>>> kinds = {
            {"file", {Source::Candidates, Source::Walk, Source::CandidateWalk, Source::Scan}},
            {"server", {Source::ServerCandidates, Source::ServerWalk, Source::ServerScan}}};
        for (const auto& [kind, sources] : kinds)
            for (Source source : sources)
                for (Field field :
                     {Field::All, Field::Program, Field::Version, Field::Name, Field::Serial})
                    QTest::addRow("%s, %s, %s", qPrintable(kind), qPrintable(sourceName(source)),
                                  qPrintable(fieldName(field)))
                        << kind << source << field;
    }

    void searchTextsFindWhatLikeFindsInListOrder()
    {
        QFETCH(QString, kind);
        QFETCH(Source, source);
        QFETCH(Field, field);
        if (kind == QLatin1String("server") && !m_server)
            QSKIP(qPrintable(m_noServer));
        const QSqlDatabase db = dbOf(kind);
        const DatabaseBackend& backend = DatabaseBackend::of(db);
        const bool walk = source == Source::Walk || source == Source::CandidateWalk;
        const bool needsCandidates =
            source == Source::Candidates || source == Source::CandidateWalk;
        // Rows to start after: a missing program, a missing version, a tie in (program,
        // version), the last row (beyond ASCII), an empty program, a missing version after a
        // name that differs only in case, and a backslash.
        QList<const Record*> afters{nullptr};
        for (qint64 id : {1, 2, 3, 9, 10, 13, 15})
            afters << &m_records.at(id - 1);
        int checked = 0;
        for (const QString& keyword : Keywords) {
            // The file reads its index's candidates only for a keyword the index can narrow,
            // through their keys.
            const QString fullText = SearchIndex::candidateQuery(keyword);
            if (needsCandidates && fullText.isEmpty())
                continue;
            QString candidates;
            if (needsCandidates) {
                QString error;
                const std::optional<Rows> keys =
                    rowsOf(db, SqlCatalogue::CandidateKeys, {fullText, -1}, &error);
                QVERIFY2(keys && keys->size() == 1, qPrintable(error));
                candidates = keys->first().at(1);
            }
            for (Cells cells : {Cells::Key, Cells::Listed, Cells::Record}) {
                for (bool limit : {false, true}) {
                    const qint64 wanted = limit ? 2 : -1;
                    for (const Record* after : afters) {
                        // What the starting row's cells allow the text to assume; fewer
                        // assumptions must give the same rows.
                        QList<QPair<bool, bool>> known{{false, false}};
                        if (after && walk && !after->program.isNull()) {
                            known << qMakePair(true, false);
                            if (!after->version.isNull())
                                known << qMakePair(true, true) << qMakePair(false, true);
                        }
                        for (const auto& [programKnown, versionKnown] : known) {
                            const QString sql =
                                backend.searchRows(field, source, cells, after != nullptr, limit,
                                                   programKnown, versionKnown);
                            QVariantList numbered{keyword, candidates};
                            if (after)
                                numbered << after->program << after->version << after->id;
                            else
                                numbered << nullText() << nullText() << QVariant();
                            numbered << wanted << QVariant() << QVariant();
                            QString error;
                            const std::optional<Rows> rows =
                                numberedRowsOf(db, sql, numbered, &error);
                            const QString context =
                                QStringLiteral("keyword \"%1\", cells %2, after %3, limit %4, "
                                               "known %5/%6")
                                    .arg(keyword)
                                    .arg(int(cells))
                                    .arg(after ? after->id : 0)
                                    .arg(wanted)
                                    .arg(programKnown)
                                    .arg(versionKnown);
                            QVERIFY2(rows, qPrintable(context + QStringLiteral(": ") + error));
                            const Rows expected =
                                expectedRows(m_records, field, keyword, cells, after, wanted);
                            if (*rows != expected) {
                                qWarning() << "got" << *rows;
                                qWarning() << "expected" << expected;
                                QFAIL(qPrintable(context + QStringLiteral(" in: ") + sql));
                            }
                            ++checked;
                        }
                    }
                }
            }
        }
        QVERIFY(checked > 0);
    }

    // Each source reads the way its name says: the index's candidates, a walk along the list
    // order's index, or the whole table. The results alone cannot tell (every source finds the
    // same rows), the plan can; on a server its planner is told to avoid reading whole tables,
    // as it would for a large one.
    void eachSourceReadsItsOwnWay_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Source>("source");
        QTest::addColumn<QStringList>("reads");
        QTest::addColumn<QStringList>("never");
        QTest::newRow("file candidates") << "file" << Source::Candidates
                                         << QStringList{"SCAN json_each VIRTUAL TABLE",
                                                        "SEARCH serials USING INTEGER PRIMARY KEY"}
                                         << QStringList{"serials_program_version"};
        QTest::newRow("file walk")
            << "file" << Source::Walk << QStringList{"USING INDEX serials_program_version"}
            << QStringList{"serials_search", "TEMP B-TREE"};
        QTest::newRow("file candidate walk")
            << "file" << Source::CandidateWalk
            << QStringList{"USING INDEX serials_program_version", "json_each"}
            << QStringList{"TEMP B-TREE"};
        QTest::newRow("file scan")
            << "file" << Source::Scan << QStringList{"SCAN serials", "TEMP B-TREE FOR ORDER BY"}
            << QStringList{"serials_search", "serials_program_version"};
        QTest::newRow("server candidates") << "server" << Source::ServerCandidates
                                           << QStringList{"serials_search"} << QStringList{};
        QTest::newRow("server walk")
            << "server" << Source::ServerWalk << QStringList{"serials_list_order"}
            << QStringList{"serials_search"};
    }

    void eachSourceReadsItsOwnWay()
    {
        QFETCH(QString, kind);
        QFETCH(Source, source);
        QFETCH(QStringList, reads);
        QFETCH(QStringList, never);
        if (kind == QLatin1String("server") && !m_server)
            QSKIP(qPrintable(m_noServer));
        const bool server = kind == QLatin1String("server");
        const QSqlDatabase db = dbOf(kind);
        QString error;
        if (server)
            QVERIFY(control(db, QStringLiteral("SET enable_seqscan = off"), &error));
        for (bool after : {false, true}) {
            // EXPLAIN takes no parameters: the values stand in the text as literals.
            const QString sql = DatabaseBackend::of(db).searchRows(
                Field::All, source, Cells::Listed, after, true, true, true);
            const QStringList literals = {
                "'editor'", "'[\"1\",\"2\",\"12\"]'", "'Editor'", "'1.0A'", "12", "50", "50", "0"};
            QString text;
            for (qsizetype i = 0; i < sql.size(); ++i) {
                if (sql.at(i) == QLatin1Char('?') && i + 1 < sql.size() && sql.at(i + 1).isDigit())
                    text += literals.at(sql.at(++i).digitValue() - 1);
                else
                    text += sql.at(i);
            }
            QSqlQuery plan(db);
            QVERIFY2(plan.exec((server ? QStringLiteral("EXPLAIN ")
                                       : QStringLiteral("EXPLAIN QUERY PLAN ")) +
                               text),
                     qPrintable(plan.lastError().text()));
            QString described;
            while (plan.next())
                described += plan.value(plan.record().count() - 1).toString() + QLatin1Char('\n');
            for (const QString& step : reads)
                QVERIFY2(described.contains(step), qPrintable(described));
            for (const QString& step : never)
                QVERIFY2(!described.contains(step), qPrintable(described));
        }
        if (server)
            QVERIFY(control(db, QStringLiteral("RESET enable_seqscan"), &error));
    }

    // The file's first walk: among the first ?7 rows of the list order, the first ?6 that
    // match, in that order.
    void walkedRowsProbeTheListOrder()
    {
        QList<Record> listed = m_records;
        std::sort(listed.begin(), listed.end(), listedBefore);
        for (Field field :
             {Field::All, Field::Program, Field::Version, Field::Name, Field::Serial}) {
            for (const QString& keyword : Keywords) {
                for (const auto& [rows, from, wanted] :
                     std::initializer_list<std::tuple<int, int, int>>{
                         {4, 0, 100}, {5, 0, 2}, {100, 0, 100}, {100, 0, 3}}) {
                    Rows expected;
                    for (int at = from; at < std::min<int>(from + rows, listed.size()); ++at)
                        if (matches(listed.at(at), field, keyword) && expected.size() < wanted)
                            expected << cellsOf(listed.at(at), Cells::Listed);
                    QString error;
                    const std::optional<Rows> found =
                        numberedRowsOf(fileDb(), SqlCatalogue::walkedRows(field),
                                       {keyword, QVariant(), QVariant(), QVariant(), QVariant(),
                                        wanted, rows, from},
                                       &error);
                    QVERIFY2(found, qPrintable(error));
                    QVERIFY2(*found == expected, qPrintable(QStringLiteral("%1 \"%2\" %3+%4")
                                                                .arg(fieldName(field), keyword)
                                                                .arg(from)
                                                                .arg(rows)));
                }
            }
        }
    }

    // The statements the store runs on both kinds, through each backend's statement(): the
    // server's own texts (program named without case, missing values first A-Z, last Z-A) give
    // the rows the file's NOCASE columns give; writes change the same records, inside the
    // backend's write transaction, which the test rolls back.
    void catalogueStatementsGiveTheFileRowsOnTheServer_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<Compare>("compare");
        QTest::addColumn<bool>("writes");
        using namespace SqlCatalogue;
        QTest::newRow("program names")
            << ProgramNames << QVariantList{} << Compare::TiesOn0 << false;
        QTest::newRow("all serials") << AllSerials << QVariantList{} << Compare::Exact << false;
        QTest::newRow("all serials by key")
            << AllSerialsByKey << QVariantList{} << Compare::Exact << false;
        QTest::newRow("serial keys") << SerialKeys << QVariantList{} << Compare::AsSet << false;
        for (const char* program : {"EDITOR", "editor", "zeta_tools", "ZETA TOOLS", "", "beta",
                                    "\xC3\xA4rger", "\xC3\x84RGER", "%", "Edito"}) {
            const QVariantList named{QString::fromUtf8(program)};
            const QByteArray p = QByteArray("\"") + program + '"';
            QTest::addRow("serials of %s", p.constData())
                << SerialsOfProgram << named << Compare::TiesOn1 << false;
            QTest::addRow("count of %s", p.constData())
                << CountSerialsOfProgram << named << Compare::Exact << false;
            QTest::addRow("full serials of %s", p.constData())
                << FullSerialsOfProgram << named << Compare::Exact << false;
            QTest::addRow("serial keys of %s", p.constData())
                << SerialKeysOfProgram << named << Compare::Exact << false;
            QTest::addRow("ids of %s", p.constData())
                << IdsOfProgram << named << Compare::Exact << false;
            QTest::addRow("delete first program %s", p.constData())
                << DeleteFirstProgram << named << Compare::Exact << true;
        }
        for (qint64 id : {1, 3, 99}) {
            QTest::addRow("serial %lld", id)
                << SerialById << QVariantList{id} << Compare::Exact << false;
            QTest::addRow("search row %lld", id)
                << SearchRowById << QVariantList{id} << Compare::Exact << false;
            QTest::addRow("browse row %lld", id)
                << BrowseRowById << QVariantList{id} << Compare::Exact << false;
            QTest::addRow("update %lld", id)
                << UpdateSerial << QVariantList{"3", "n", "s", "2025-01-01T00:00:00", id}
                << Compare::Exact << true;
            QTest::addRow("rewrite %lld", id)
                << UpdateWholeSerial << QVariantList{"P", "3", "n", "s", "d", id} << Compare::Exact
                << true;
            QTest::addRow("delete %lld", id)
                << DeleteSerial << QVariantList{id} << Compare::Exact << true;
        }
        QTest::newRow("search index state")
            << SearchIndexState << QVariantList{} << Compare::Exact << false;
        QTest::newRow("table names") << TableNames << QVariantList{} << Compare::Tables << false;
        QTest::newRow("schema objects")
            << CountSchemaObjects << QVariantList{} << Compare::Tables << false;
        QTest::newRow("insert program")
            << InsertProgram << QVariantList{"New"} << Compare::Exact << true;
        QTest::newRow("insert serial")
            << InsertSerial << QVariantList{"Editor", "n", "s", nullText(), "d"} << Compare::Exact
            << true;
        QTest::newRow("insert serial rows")
            << insertSerialRows(2)
            << QVariantList{"A", "n", "s", "1", "d", nullText(), nullText(), "x", "", ""}
            << Compare::Exact << true;
    }

    void catalogueStatementsGiveTheFileRowsOnTheServer()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, values);
        QFETCH(Compare, compare);
        QFETCH(bool, writes);
        if (!m_server)
            QSKIP(qPrintable(m_noServer));
        QHash<QString, Rows> seen;
        for (const QString& kind : {QStringLiteral("file"), QStringLiteral("server")}) {
            const QSqlDatabase db = dbOf(kind);
            const DatabaseBackend& backend = DatabaseBackend::of(db);
            QString error;
            if (writes) {
                QVERIFY2(control(db, backend.beginWrite(), &error), qPrintable(error));
                if (!backend.lockProgramNames().isEmpty())
                    QVERIFY2(rowsOf(db, backend.lockProgramNames(), {}, &error), qPrintable(error));
            }
            const std::optional<Rows> rows = rowsOf(db, backend.statement(sql), values, &error);
            if (writes) {
                seen[kind] = recordsWithoutKeys(db) + Rows{{QStringLiteral("programs:")}} +
                             programsByEntry(db);
                QVERIFY(control(db, SqlCatalogue::RollbackWrite, &error));
            }
            QVERIFY2(rows, qPrintable(kind + QStringLiteral(": ") + error));
            if (!writes)
                seen[kind] = *rows;
        }
        Rows file = seen.value(QStringLiteral("file"));
        Rows server = seen.value(QStringLiteral("server"));
        switch (compare) {
        case Compare::Exact:
            break;
        case Compare::TiesOn0:
            file = withTiesSorted(file, 0);
            server = withTiesSorted(server, 0);
            break;
        case Compare::TiesOn1:
            file = withTiesSorted(file, 1);
            server = withTiesSorted(server, 1);
            break;
        case Compare::AsSet:
            std::sort(file.begin(), file.end());
            std::sort(server.begin(), server.end());
            break;
        case Compare::Tables:
            for (const Rows* rows : {&file, &server}) {
                if (rows->size() == 1 && rows->first().size() == 1) {
                    QVERIFY(rows->first().first().toInt() >= 2);
                } else {
                    QVERIFY(rows->contains(QStringList{"programs"}));
                    QVERIFY(rows->contains(QStringList{"serials"}));
                }
            }
            return;
        }
        if (file != server) {
            qWarning() << "file" << file;
            qWarning() << "server" << server;
        }
        QCOMPARE(server, file);
    }

    // The file's list order is the test's own (missing first, A-Z without case, key), so the
    // server's equal rows above are the right ones.
    void fileListsInTheListOrder()
    {
        QList<Record> listed = m_records;
        std::sort(listed.begin(), listed.end(), listedBefore);
        Rows expected;
        for (const Record& record : listed)
            expected << cellsOf(record, Cells::Record);
        QString error;
        QCOMPARE(rowsOf(fileDb(), SqlCatalogue::AllSerials, {}, &error).value_or(Rows{{error}}),
                 expected);
    }

    // Every catalogue text the server words differently is among those compared above, and a
    // new record's key comes back from either kind's insert.
    void serverRewritesAreCoveredAndInsertsGiveTheirKey()
    {
        using namespace SqlCatalogue;
        const QStringList compared = {
            ProgramNames,         AllSerials,          AllSerialsByKey,
            SerialKeys,           SerialsOfProgram,    CountSerialsOfProgram,
            FullSerialsOfProgram, SerialKeysOfProgram, IdsOfProgram,
            DeleteFirstProgram,   SerialById,          SearchRowById,
            BrowseRowById,        UpdateSerial,        UpdateWholeSerial,
            DeleteSerial,         SearchIndexState,    TableNames,
            CountSchemaObjects,   InsertProgram,       InsertSerial};
        const QStringList all =
            compared + QStringList{CandidateKeys,    SerialIdRange, FillSearchIndex,
                                   DeletedRecords,   RememberMerge, MergeSearchIndex,
                                   TotalChanges,     FreePageCount, PageCount,
                                   IntegrityCheck,   VacuumInto,    Vacuum,
                                   CreateSearchIndex};
        for (const QString& text : all)
            if (ServerBackend::instance().statement(text) != text)
                QVERIFY2(compared.contains(text), qPrintable(text));
        for (const QString& text : all)
            QCOMPARE(FileBackend::instance().statement(text), text);

        if (!m_server)
            QSKIP(qPrintable(m_noServer));
        for (const QSqlDatabase& db : {fileDb(), serverDb()}) {
            const DatabaseBackend& backend = DatabaseBackend::of(db);
            QString error;
            QVERIFY2(control(db, backend.beginWrite(), &error), qPrintable(error));
            const std::optional<Rows> key =
                rowsOf(db, backend.insertSerialReturningId(),
                       {"Editor", "n", "KEY-1", "9", "2025-01-01T00:00:00"}, &error);
            QVERIFY2(key && key->size() == 1, qPrintable(error));
            const std::optional<Rows> stored = rowsOf(
                db, backend.statement(SqlCatalogue::SerialById), {key->first().first()}, &error);
            QVERIFY(control(db, SqlCatalogue::RollbackWrite, &error));
            QCOMPARE(stored.value_or(Rows{}),
                     (Rows{{"Editor", "9", "n", "KEY-1", "2025-01-01T00:00:00"}}));
        }
    }

    // Real refusals map to their kinds: a file another connection holds exclusively, a file its
    // owner made read-only, and a statement SQLite cannot run.
    void fileRefusalsMapToKinds()
    {
        const FileBackend& file = FileBackend::instance();
        const QString held = m_env->makeDatabase(m_env->path(QStringLiteral("held.mdb")));
        QVERIFY(!file.open(held, QStringLiteral("held-victim"), {}));
        {
            QSqlDatabase victim = QSqlDatabase::database(QStringLiteral("held-victim"), false);
            QSqlDatabase holder =
                QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "held-holder");
            holder.setDatabaseName(held);
            QVERIFY(holder.open() && QSqlQuery(holder).exec("BEGIN EXCLUSIVE"));
            QVERIFY(QSqlQuery(victim).exec(SqlCatalogue::ShortBusyWait));
            QSqlQuery begin(victim);
            QVERIFY(!begin.exec(file.beginWrite()));
            const StoreError busy = file.errorOf(begin.lastError());
            QCOMPARE(busy.kind(), StoreError::Kind::InUse);
            QCOMPARE(busy.message(), StoreError::inUse().message());
            QVERIFY(FileBackend::isInUse(begin.lastError()));
            QVERIFY(file.isAlive(victim));
            QSqlQuery(holder).exec("ROLLBACK");
            holder.close();
            victim.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("held-holder"));
        QSqlDatabase::removeDatabase(QStringLiteral("held-victim"));

        const QString readOnly = m_env->makeDatabase(m_env->path(QStringLiteral("read-only.mdb")));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup));
        QVERIFY(!file.open(readOnly, QStringLiteral("read-only"), {}));
        {
            QSqlDatabase db = QSqlDatabase::database(QStringLiteral("read-only"), false);
            QSqlQuery insert(db);
            QVERIFY(insert.prepare(SqlCatalogue::InsertProgram));
            insert.addBindValue(QStringLiteral("Editor"));
            QVERIFY(!insert.exec());
            const StoreError refused = file.errorOf(insert.lastError());
            QCOMPARE(refused.kind(), StoreError::Kind::ReadOnly);
            QCOMPARE(refused.message(), QStringLiteral("The database file is read-only."));

            QSqlQuery wrong(db);
            QVERIFY(!wrong.exec(QStringLiteral("SELECT * FROM nowhere")));
            const StoreError other = file.errorOf(wrong.lastError());
            QCOMPARE(other.kind(), StoreError::Kind::Refused);
            QCOMPARE(other.message(), QStringLiteral("The database refused the request (no such "
                                                     "table: nowhere)."));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("read-only"));
    }

    // The server's real refusals map to their kinds: a role that may only read, a read-only
    // transaction, a connection the server ended, a text PostgreSQL cannot store.
    void serverRefusalsMapToKinds()
    {
        if (!m_server)
            QSKIP(qPrintable(m_noServer));
        const ServerBackend& server = ServerBackend::instance();
        QVERIFY(m_server->exec(QStringLiteral("CREATE ROLE backends_reader LOGIN")));
        QVERIFY(m_server->exec(
            QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO backends_reader"),
            nullptr, m_serverDatabase));
        const StoreError opened =
            server.open(m_server->address(m_serverDatabase, QStringLiteral("backends_reader")),
                        QStringLiteral("reader"), {});
        QVERIFY2(!opened, qPrintable(opened.message()));
        {
            QSqlDatabase reader = QSqlDatabase::database(QStringLiteral("reader"), false);
            QString error;
            QCOMPARE(rowsOf(reader, server.statement(SqlCatalogue::CountSerialsOfProgram),
                            {"editor"}, &error)
                         .value_or(Rows{{error}}),
                     Rows{{"6"}});
            QSqlQuery insert(reader);
            QVERIFY(insert.prepare(SqlCatalogue::InsertProgram));
            insert.addBindValue(QStringLiteral("Editor"));
            QVERIFY(!insert.exec());
            const StoreError refused = server.errorOf(insert.lastError());
            QCOMPARE(refused.kind(), StoreError::Kind::ReadOnly);
            QCOMPARE(refused.message(), StoreError::readOnly().message());
            reader.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));

        QVERIFY(!server.open(m_server->address(m_serverDatabase), QStringLiteral("victim"), {}));
        {
            QSqlDatabase victim = QSqlDatabase::database(QStringLiteral("victim"), false);
            QString error;
            QVERIFY(control(victim, QStringLiteral("BEGIN READ ONLY"), &error));
            QSqlQuery write(victim);
            QVERIFY(!write.exec(QStringLiteral("DELETE FROM serials")));
            QCOMPARE(server.errorOf(write.lastError()).kind(), StoreError::Kind::ReadOnly);
            QVERIFY(control(victim, SqlCatalogue::RollbackWrite, &error));

            // A NUL character is text PostgreSQL cannot store.
            QSqlQuery nul(victim);
            QVERIFY(nul.prepare(QStringLiteral("SELECT ?::text")));
            nul.addBindValue(QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
            QVERIFY(!nul.exec());
            const StoreError unstorable = server.errorOf(nul.lastError());
            QCOMPARE(unstorable.kind(), StoreError::Kind::Refused);
            QCOMPARE(unstorable.message(),
                     QStringLiteral("The database server cannot store a text that holds a NUL "
                                    "character or is not valid UTF-8."));

            QSqlQuery wrong(victim);
            QVERIFY(!wrong.exec(QStringLiteral("SELECT * FROM nowhere")));
            const StoreError other = server.errorOf(wrong.lastError());
            QCOMPARE(other.kind(), StoreError::Kind::Refused);
            QVERIFY2(other.message().startsWith("The database refused the request (") &&
                         other.message().contains("nowhere"),
                     qPrintable(other.message()));

            const std::optional<Rows> pid =
                rowsOf(victim, QStringLiteral("SELECT pg_backend_pid()"), {}, &error);
            QVERIFY2(pid, qPrintable(error));
            const QString backend = pid->first().first();
            QVERIFY(m_server->exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(backend)));
            QTRY_COMPARE(m_server->rows(QStringLiteral("SELECT count(*) FROM pg_stat_activity "
                                                       "WHERE pid = %1")
                                            .arg(backend),
                                        QStringLiteral("postgres")),
                         Rows{{"0"}});
            QSqlQuery after(victim);
            QVERIFY(!after.exec(server.statement(SqlCatalogue::ProgramNames)));
            const StoreError gone = server.errorOf(after.lastError());
            QVERIFY2(gone.kind() == StoreError::Kind::Gone,
                     qPrintable(after.lastError().nativeErrorCode() + QStringLiteral(": ") +
                                after.lastError().text()));
            QCOMPARE(gone.message(),
                     QStringLiteral("The connection to the database server was lost."));
            QVERIFY(!server.isAlive(victim));
            victim.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("victim"));
        QVERIFY(server.isAlive(serverDb()));
    }

    // Addresses pick their backend by their words; connections by their driver.
    void backendsFollowAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("server");
        QTest::newRow("path") << "/home/me/numira.mdb" << false;
        QTest::newRow("relative path") << "numira.mdb" << false;
        QTest::newRow("path with =") << "/home/me/a=b.mdb" << false;
        QTest::newRow("word that libpq does not know") << "notes=x.mdb" << false;
        QTest::newRow("windows path") << "C:\\Data\\numira.mdb" << false;
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("uri") << "postgresql://ann@db.example:5433/licences" << true;
        QTest::newRow("short scheme") << "postgres:///inv?host=%2Ftmp" << true;
        QTest::newRow("scheme in capitals, blanks around") << "  POSTGRESQL://h/d " << true;
        QTest::newRow("service") << "service=licences" << true;
        QTest::newRow("words") << "host=srv dbname='my db' user=x" << true;
        QTest::newRow("blank before =") << "dbname = team" << true;
    }

    void backendsFollowAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, server);
        const DatabaseBackend& backend = DatabaseBackend::forAddress(address);
        const DatabaseBackend& expected =
            server ? static_cast<const DatabaseBackend&>(ServerBackend::instance())
                   : FileBackend::instance();
        QCOMPARE(&backend, &expected);
    }

    void backendsFollowConnections()
    {
        QCOMPARE(&DatabaseBackend::of(fileDb()), &FileBackend::instance());
        QCOMPARE(&DatabaseBackend::of(QSqlQuery(fileDb()).driver()), &FileBackend::instance());
        QCOMPARE(&DatabaseBackend::of(QSqlDatabase()), &FileBackend::instance());
        QCOMPARE(&DatabaseBackend::of(static_cast<const QSqlDriver*>(nullptr)),
                 &FileBackend::instance());
        if (QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
            {
                QSqlDatabase qt = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "qt-sqlite");
                qt.setDatabaseName(QStringLiteral(":memory:"));
                QVERIFY(qt.open());
                QCOMPARE(&DatabaseBackend::of(qt), &FileBackend::instance());
                qt.close();
            }
            QSqlDatabase::removeDatabase(QStringLiteral("qt-sqlite"));
        }
        if (!m_server)
            QSKIP(qPrintable(m_noServer));
        QCOMPARE(&DatabaseBackend::of(serverDb()), &ServerBackend::instance());
        QCOMPARE(&DatabaseBackend::of(QSqlQuery(serverDb()).driver()), &ServerBackend::instance());
        QCOMPARE(&DatabaseBackend::forAddress(m_server->address(m_serverDatabase)),
                 &ServerBackend::instance());
    }
};

QTEST_MAIN(BackendsTest)
#include "tst_backends.moc"
