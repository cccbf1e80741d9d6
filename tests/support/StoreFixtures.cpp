#include "support/StoreFixtures.h"

#include "support/TestEnv.h"

#include "store/search/ResultPages.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <functional>

namespace StoreFixtures {

SqlCatalogue::Field fieldNamed(const QString& caption)
{
    using Field = SqlCatalogue::Field;
    const QStringList captions{"All", "Program", "Version", "Name", "Serial"};
    const Field fields[] = {Field::All, Field::Program, Field::Version, Field::Name, Field::Serial};
    return fields[std::max<qsizetype>(0, captions.indexOf(caption))];
}

void addRecords(const QString& dbPath, int count)
{
    const auto mustRun = [&dbPath](const QString& sql, const QVariantList& values = {}) {
        if (!execSql(dbPath, sql, values))
            qFatal("fixture statement failed: %s", qPrintable(sql));
    };
    const QString insert =
        QStringLiteral("INSERT INTO serials (program, version, name, serial, date) ");
    const QList<QVariantList> awkward = {
        {"O'Brien's \"Tool\" 100% _done_", "%_", "back\\slash",
         "line one\nline two\r\nline three\ttab", "2024-01-02T03:04:05"},
        {QString::fromUtf8("Grüße • Ünïcödé"), QString::fromUtf8("版本 2"),
         QString::fromUtf8("Иван 😀"), QString::fromUtf8("שלום-مرحبا"), "2020-02-29T00:00:00"},
        {"  padded  ", " 2.0 ", QStringLiteral("before") + QChar(0) + QStringLiteral("after"),
         QString(50000, QLatin1Char('S')), "2019-07-04T08:09:10"},
        {"Empty and missing", QString(""), QVariant(), QString(""), QVariant()},
    };
    for (const QVariantList& record : awkward)
        mustRun(insert + "VALUES (?, ?, ?, ?, ?)", record);
    mustRun("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n LIMIT ?) " + insert +
                "SELECT 'Program ' || (i % 300), (i % 13) || '.' || (i % 7), "
                "'Registered User ' || (i * 7919 % 100003), "
                "printf('%05d-%04X-%06d', i * 2654435761 % 100000, i % 9973, i), "
                "printf('2024-%02d-%02dT12:00:00', i % 12 + 1, i % 28 + 1) FROM n",
            {count});
    mustRun(QStringLiteral("INSERT INTO programs (program) SELECT program FROM serials "
                           "GROUP BY program ORDER BY min(id)"));
    mustRun(QStringLiteral("DELETE FROM serials WHERE id % 7 = 0"));
}

QList<RecordStore::SerialRecord> thousandRecords()
{
    QList<RecordStore::SerialRecord> records;
    for (int i = 0; i < 1000; ++i)
        records.append({"P", "1", "N", QString("S-%1").arg(i), {}});
    return records;
}

QList<QStringList> hostileRecords()
{
    return {{"Say \"hi\"", "1,0", "O'Brien; Ltd", "\"QUOTED\"", "2001-02-03T04:05:06"},
            {"Lines", "2", "a b", "K1\r\nK2", "2010-12-31T23:59:59"},
            {"Bare LF", "", "", "L1\nL2", "2010-12-31T23:59:58"},
            {"Bare CR", "", "", "C1\rC2\r", "2010-12-31T23:59:57"},
            {"-Minus", "+1", "=SUM(A1)", "@cmd", "2020-02-29T00:00:00"},
            {"007", "0001", "00", "000123", "1999-01-01T12:00:00"},
            {"Größe 日本", "版本 ✓", "Zoë", "🔑-ÄÖÜ", "2024-06-15T08:30:00"},
            {"  outer  ", "\t", " ", "tab\there", "2024-06-15T08:30:01"},
            {"back\\slash;", "a\"", "\"", "x,\"y\",z\\n", "2024-06-15T08:30:02"},
            {"\\t\\", "\\\\", "\x1b[31m", "\x01\u2028", "2024-06-15T08:30:03"},
            {"Older", "1\r\n2", "Line\nbreak\u2028", "v\tw", "2024-06-15T08:30:04"},
            {"Long", QString(5000, QChar(0x4e2d)), QString(4999, 'x') + "\n", "L",
             "2024-06-15T08:30:05"}};
}

QList<QStringList> allRows(const QString& dbPath)
{
    // typeof and hex keep NULL, the empty text, numbers and every byte of a text apart.
    QString exact = QStringLiteral("id");
    for (const char* field : {"program", "version", "name", "serial", "date"})
        exact += QStringLiteral(" || '|' || typeof(%1) || hex(%1)").arg(QLatin1String(field));
    return queryRows(dbPath, QStringLiteral("SELECT rowid, typeof(program) || hex(program) "
                                            "FROM programs ORDER BY rowid")) +
           queryRows(dbPath, "SELECT " + exact + " FROM serials ORDER BY id") +
           queryRows(dbPath, QStringLiteral("SELECT name, seq FROM sqlite_sequence"));
}

qint64 pageSize(const QString& dbPath)
{
    return queryRows(dbPath, QStringLiteral("PRAGMA page_size")).value(0).value(0).toLongLong();
}

qint64 pageOffset(const QString& dbPath, qint64 page)
{
    return (page - 1) * pageSize(dbPath);
}

QList<qint64> leafPages(const QString& dbPath, const QString& tableOrIndex)
{
    const qint64 root = queryRows(dbPath,
                                  QStringLiteral("SELECT rootpage FROM sqlite_master "
                                                 "WHERE name = ?"),
                                  {tableOrIndex})
                            .value(0)
                            .value(0)
                            .toLongLong();
    const qint64 size = pageSize(dbPath);
    const QByteArray bytes = fileBytes(dbPath);
    const auto byteAt = [&bytes](qint64 at) { return quint8(bytes.at(at)); };
    const auto u16 = [&](qint64 at) { return (byteAt(at) << 8) | byteAt(at + 1); };
    const auto u32 = [&](qint64 at) {
        return (qint64(byteAt(at)) << 24) | (byteAt(at + 1) << 16) | (byteAt(at + 2) << 8) |
               byteAt(at + 3);
    };
    QList<qint64> leaves;
    // Depth first, children in key order: each interior cell begins with its left child's
    // number, the right-most child is in the page's header.
    std::function<void(qint64)> walk = [&](qint64 page) {
        const qint64 start = (page - 1) * size;
        const qint64 header = start + (page == 1 ? 100 : 0);
        if (page < 1 || start + size > bytes.size())
            return;
        const quint8 type = byteAt(header);
        if (type == 0x0d || type == 0x0a) {
            leaves << page;
            return;
        }
        if (type != 0x05 && type != 0x02)
            return;
        const int cells = u16(header + 3);
        for (int i = 0; i < cells; ++i)
            walk(u32(start + u16(header + 12 + 2 * i)));
        walk(u32(header + 8));
    };
    if (root > 0)
        walk(root);
    return leaves;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList folderEntries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool linkAsNobody(const QString& target, const QString& link)
{
    QProcess ln;
    ln.setProcessChannelMode(QProcess::ForwardedChannels);
    ln.start(QStringLiteral("setpriv"),
             {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
              QStringLiteral("--clear-groups"), QStringLiteral("ln"), QStringLiteral("-s"), target,
              link});
    return ln.waitForFinished(30000) && ln.exitStatus() == QProcess::NormalExit &&
           ln.exitCode() == 0;
}

QList<QStringList> pageCells(ResultPages list)
{
    while (!list.complete())
        list.fetchMore(nullptr);
    QList<QStringList> all;
    for (qsizetype row = 0; row < list.rowCount(); ++row) {
        QStringList values;
        for (int column = 0; column < list.columns(); ++column)
            values << list.cell(row, column);
        all << values;
    }
    return all;
}

} // namespace StoreFixtures
