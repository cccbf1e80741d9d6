#pragma once

// What several benchmarks share: timing a step, memory readings, filling a database with
// generated records through a connection of its own, and starting the program in a process of
// its own on a temporary program folder and settings.

#include "app/MainDeps.h"
#include "store/DatabaseSession.h"
#include "store/sqlite/SchemaFile.h"

#include "store/sqlite/SqliteDriver.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace BenchSupport {

// The database session of the benchmark program: one per run, as a command of numira-cli has.
inline DatabaseSession& session()
{
    static DatabaseSession benchSession;
    return benchSession;
}

// Opens the session on the address; false with the reason.
inline bool open(const QString& address, QString* error = nullptr)
{
    session().setAddress(address);
    const StoreError failure = session().open();
    if (failure && error)
        *error = failure.message();
    return !failure;
}

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

// A record of a large database, for fillDatabase: programs, versions, names and serials that
// differ.
inline QVariantList generatedRecord(int i)
{
    return {QStringLiteral("Program %1").arg(i % 2000),
            QStringLiteral("%1.%2").arg(i % 13).arg(i % 7),
            QStringLiteral("Registered User %1").arg(i * 7919 % 100003),
            QStringLiteral("%1-%2-%3")
                .arg(i * 2654435761u % 100000, 5, 10, QLatin1Char('0'))
                .arg(i % 9973, 4, 16, QLatin1Char('0'))
                .arg(i, 6, 36, QLatin1Char('0')),
            QStringLiteral("2024-03-%1T12:00:00").arg(i % 28 + 1, 2, 10, QLatin1Char('0'))};
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

// The middle of the values (of two middles the later); -1 for none.
inline double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

// Milliseconds the work took.
inline double timeMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// The folder "program" in dir with a new database in it; a database that cannot be made ends
// the benchmark.
inline QString makeProgramFolder(const QTemporaryDir& dir)
{
    const QString folder = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(folder);
    QString error;
    if (!SchemaFile::createDatabase(folder + QStringLiteral("/numira.mdb"),
                                    QStringLiteral(NUMIRA_SCHEMA_FILE), &error))
        qFatal("cannot make the database: %s", qPrintable(error));
    return folder;
}

// The environment of a started program: its home and settings in dir, nothing of the user's.
inline QProcessEnvironment isolatedEnvironment(const QTemporaryDir& dir)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("HOME"), dir.path());
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
    return environment;
}

// The main window's dependencies for a program started on folder: no tray, every echo answered,
// the lock in the folder.
inline MainDeps programDeps(Prompt* prompt, const QString& folder)
{
    MainDeps deps;
    deps.prompt = prompt;
    deps.programFolder = folder;
    deps.probe = [](const QString&) { return quint32(11010); };
    deps.lockPath = folder + QStringLiteral("/numira.lock");
    deps.trayAvailable = false;
    return deps;
}

} // namespace BenchSupport
