#pragma once

// What several benchmarks share: timing a step, memory readings and filling a database with
// generated records through a connection of its own.

#include "store/SqliteDriver.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace BenchSupport {

// The floor of a search: the "All" scan with its sort, as the sqlite3 shell runs it (each "?"
// replaced by the quoted keyword).
inline const QString ScanAllSql = QStringLiteral(
    "SELECT id, program, version FROM serials NOT INDEXED WHERE program LIKE '%' || ? || '%' "
    "OR version LIKE '%' || ? || '%' OR serial LIKE '%' || ? || '%' "
    "OR name LIKE '%' || ? || '%' ORDER BY program, version, id");

// Milliseconds the work took; a step that fails ends the benchmark.
inline double timeOf(const std::function<bool()>& work)
{
    QElapsedTimer timer;
    timer.start();
    if (!work()) {
        std::fprintf(stderr, "a timed step failed\n");
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e6;
}

// Kilobytes of a line of /proc/self/status ("VmRSS", "VmHWM"); 0 where there is none.
inline qint64 statusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

// Adds 2,000 programs ("Program 0" ...) and `count` serial rows made by `row` (program,
// version, name, serial, date), then runs `finish` on the connection, all in one transaction.
inline bool fillDatabase(const QString& path, int count,
                         const std::function<QVariantList(int)>& row,
                         const std::function<bool(QSqlDatabase&)>& finish = {})
{
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery program(db);
        program.prepare(QStringLiteral("INSERT INTO programs (program) VALUES (?)"));
        for (int p = 0; ok && p < 2000; ++p) {
            program.addBindValue(QStringLiteral("Program %1").arg(p));
            ok = program.exec();
        }
        QSqlQuery serial(db);
        serial.prepare(QStringLiteral(
            "INSERT INTO serials (program, version, name, serial, date) VALUES (?, ?, ?, ?, ?)"));
        for (int i = 0; ok && i < count; ++i) {
            for (const QVariant& value : row(i))
                serial.addBindValue(value);
            ok = serial.exec();
        }
        ok = ok && (!finish || finish(db)) && db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

} // namespace BenchSupport
