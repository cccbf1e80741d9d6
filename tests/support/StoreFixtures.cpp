#include "support/StoreFixtures.h"

#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace StoreFixtures {

namespace {

void mustRun(const QString& dbPath, const QString& sql, const QVariantList& values = {})
{
    if (!execSql(dbPath, sql, values))
        qFatal("fixture statement failed: %s", qPrintable(sql));
}

} // namespace

void addAwkwardRecords(const QString& dbPath)
{
    const QString insertSerial = QStringLiteral(
        "INSERT INTO serials (program, version, name, serial, date) VALUES (?, ?, ?, ?, ?)");
    const QList<QVariantList> records = {
        {QStringLiteral("O'Brien's \"Tool\""), QStringLiteral("1.0"), QStringLiteral("Ann"),
         QStringLiteral("AB'CD\"EF"), QStringLiteral("2024-01-02T03:04:05")},
        {QStringLiteral("100% _done_"), QStringLiteral("%_"), QStringLiteral("back\\slash"),
         QStringLiteral("line one\nline two\r\nline three\ttab"),
         QStringLiteral("2023-12-31T23:59:59")},
        {QStringLiteral("Grüße • Ünïcödé"), QStringLiteral("版本 2"), QStringLiteral("Иван 😀"),
         QStringLiteral("שלום-مرحبا"), QStringLiteral("2020-02-29T00:00:00")},
        {QStringLiteral("NUL inside"), QStringLiteral("1"),
         QString(QStringLiteral("before")) + QChar(0) + QStringLiteral("after"),
         QStringLiteral("x"), QStringLiteral("2021-06-01T12:00:00")},
        {QStringLiteral("Empty and missing"), QString(""), QVariant(), QString(""), QVariant()},
        {QStringLiteral("  padded  "), QStringLiteral(" 2.0 "), QStringLiteral(" "),
         QString(50000, QLatin1Char('S')), QStringLiteral("2019-07-04T08:09:10")},
    };
    for (const QVariantList& record : records) {
        mustRun(dbPath, QStringLiteral("INSERT INTO programs (program) VALUES (?)"),
                {record.first()});
        mustRun(dbPath, insertSerial, record);
    }
}

void addManyRecords(const QString& dbPath, int count)
{
    mustRun(dbPath,
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299) "
                "INSERT INTO programs (program) SELECT 'Program ' || i FROM n"));
    mustRun(
        dbPath,
        QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
            "INSERT INTO serials (program, version, name, serial, date) "
            "SELECT 'Program ' || (i % 300), (i % 13) || '.' || (i % 7), "
            "'Registered User ' || (i * 7919 % 100003), "
            "printf('%05d-%04X-%05d-%06d', i * 2654435761 % 100000, i % 9973, i * 31 % 65521, i), "
            "printf('2024-%02d-%02dT12:00:00', i % 12 + 1, i % 28 + 1) FROM n"),
        {count});
    mustRun(dbPath, QStringLiteral("DELETE FROM serials WHERE id % 7 = 0"));
}

QByteArray rowsDigest(const QString& dbPath)
{
    // typeof and hex keep NULL, the empty text, numbers and every byte of a text apart.
    QString fields;
    for (const char* field : {"id", "program", "version", "name", "serial", "date"})
        fields +=
            QStringLiteral(" || typeof(%1) || ':' || hex(%1) || '|'").arg(QLatin1String(field));
    const QStringList statements = {
        QStringLiteral(
            "SELECT rowid || typeof(program) || hex(program) FROM programs ORDER BY rowid"),
        QStringLiteral("SELECT ''") + fields + QStringLiteral(" FROM serials ORDER BY id"),
        QStringLiteral("SELECT name || '=' || seq FROM sqlite_sequence ORDER BY name")};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const QString name = QStringLiteral("numira-test-digest");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(dbPath);
        if (!db.open())
            qFatal("cannot open %s", qPrintable(dbPath));
        for (const QString& statement : statements) {
            QSqlQuery query(db);
            query.setForwardOnly(true);
            if (!query.exec(statement))
                qFatal("cannot read %s", qPrintable(dbPath));
            while (query.next())
                hash.addData(query.value(0).toString().toUtf8() + '\n');
            hash.addData("--\n");
        }
    }
    QSqlDatabase::removeDatabase(name);
    return hash.result().toHex();
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace StoreFixtures
