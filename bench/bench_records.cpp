// Times numira-cli's export, list and import of generated records as whole processes against
// the sqlite3 shell doing the same work in the same run, and prints each figure beside its
// floor with the peak memory of each process.
//   bench_records [RECORDS]   (100,000 by default; 1000000 for the million-record figures)

#include "store/sqlite/SchemaFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include <algorithm>

#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

bool fillDatabase(const QString& path, int records)
{
    return BenchSupport::fillDatabase(path, records, [](int i) -> QVariantList {
        return {QStringLiteral("Program %1").arg(i % 2000),
                QStringLiteral("%1.%2").arg(i % 13).arg(i % 7),
                // Every tenth name needs quoting in CSV.
                i % 10 ? QStringLiteral("Registered User %1").arg(i)
                       : QStringLiteral("User, \"%1\"").arg(i),
                QStringLiteral("%1-%2-%3")
                    .arg(i * 2654435761u % 100000, 5, 10, QLatin1Char('0'))
                    .arg(i % 9973, 4, 16, QLatin1Char('0'))
                    .arg(i, 6, 36, QLatin1Char('0')),
                QStringLiteral("2024-03-%1T12:%2:00")
                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))};
    });
}

bool freshDatabase(const QString& path)
{
    QFile::remove(path);
    QString error;
    return SchemaFile::createDatabase(path, QStringLiteral(NUMIRA_SCHEMA_FILE), &error);
}

struct Run
{
    double ms = 0;
    long peakKb = 0;
};

// Runs a program with standard input and output from and to files, and measures its time and
// its own peak memory (wait4 reports the child's alone).
Run run(const QStringList& command, const QString& input, const QString& output)
{
    std::vector<QByteArray> words;
    for (const QString& word : command)
        words.push_back(QFile::encodeName(word));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray in = QFile::encodeName(input.isEmpty() ? QStringLiteral("/dev/null") : input);
    const QByteArray out =
        QFile::encodeName(output.isEmpty() ? QStringLiteral("/dev/null") : output);
    posix_spawn_file_actions_addopen(&actions, 0, in.constData(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    QElapsedTimer timer;
    timer.start();
    pid_t child = 0;
    Run result;
    int status = 0;
    struct rusage usage = {};
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
        wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(command.join(' ')));
        std::exit(1);
    }
    result.ms = timer.nsecsElapsed() / 1e6;
    result.peakKb = usage.ru_maxrss;
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

Run best(const std::vector<Run>& runs)
{
    Run result = *std::min_element(runs.begin(), runs.end(),
                                   [](const Run& a, const Run& b) { return a.ms < b.ms; });
    for (const Run& each : runs)
        result.peakKb = std::max(result.peakKb, each.peakKb);
    return result;
}

void print(const char* what, const std::vector<Run>& ours, const std::vector<Run>& floor)
{
    const Run a = best(ours);
    const Run b = best(floor);
    std::printf("%-12s numira-cli %9.1f ms %7.1f MiB   sqlite3 shell %9.1f ms %7.1f MiB   "
                "ratio %.2f\n",
                what, a.ms, a.peakKb / 1024.0, b.ms, b.peakKb / 1024.0, a.ms / b.ms);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    // A million records take minutes a round: one round is enough there.
    const int Rounds = records >= 500000 ? 1 : 3;
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty()) {
        std::fprintf(stderr, "the sqlite3 shell is needed (package sqlite3)\n");
        return 1;
    }
    const QString cli = QStringLiteral(NUMIRA_CLI);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.mdb"));
    const QString target = dir.filePath(QStringLiteral("target.mdb"));
    const QString csv = dir.filePath(QStringLiteral("numira.csv"));
    const QString json = dir.filePath(QStringLiteral("numira.json"));
    const QString shellCsv = dir.filePath(QStringLiteral("shell.csv"));
    const QString shellJson = dir.filePath(QStringLiteral("shell.json"));
    const QString importScript = dir.filePath(QStringLiteral("import.sql"));
    if (!freshDatabase(source) || !fillDatabase(source, records)) {
        std::fprintf(stderr, "cannot build the database\n");
        return 1;
    }
    {
        // The shell's nearest equivalent of an import: .import into a staging table, then the
        // programs and the records from it, in one transaction.
        QFile script(importScript);
        script.open(QIODevice::WriteOnly);
        script.write("BEGIN;\n.mode csv\n.import " + QFile::encodeName(shellCsv) +
                     " staging\nINSERT INTO programs (program) SELECT DISTINCT program FROM "
                     "staging;\nINSERT INTO serials (program, version, name, serial, date) "
                     "SELECT program, version, name, serial, date FROM staging;\nDROP TABLE "
                     "staging;\nCOMMIT;\n");
    }
    const QString select =
        QStringLiteral("SELECT program, version, name, serial, date FROM serials ORDER BY id");
    std::vector<Run> exportCsv, shellExportCsv, exportJson, shellExportJson, list, shellList,
        imports, shellImports;
    for (int round = 0; round < Rounds; ++round) {
        exportCsv.push_back(run({cli, "--db", source, "export", "-o", csv}, {}, {}));
        shellExportCsv.push_back(run({sqlite3, "-csv", "-header", source, select}, {}, shellCsv));
        exportJson.push_back(run({cli, "--db", source, "export", "-o", json}, {}, {}));
        shellExportJson.push_back(run({sqlite3, "-json", source, select}, {}, shellJson));
        list.push_back(run({cli, "--db", source, "list"}, {}, {}));
        shellList.push_back(run({sqlite3, "-tabs", "-header", source,
                                 "SELECT id, program, version, name, serial, date FROM serials "
                                 "ORDER BY program, version, id"},
                                {}, {}));
        if (!freshDatabase(target))
            return 1;
        imports.push_back(run({cli, "--db", target, "import", csv}, {}, {}));
        if (!freshDatabase(target))
            return 1;
        shellImports.push_back(run({sqlite3, target}, importScript, {}));
    }
    std::printf("records: %d, best time of %d round(s), highest peak memory (VmHWM of the "
                "process)\n",
                records, Rounds);
    std::printf("CSV export size %.1f MiB, JSON %.1f MiB\n", QFileInfo(csv).size() / 1048576.0,
                QFileInfo(json).size() / 1048576.0);
    print("export csv", exportCsv, shellExportCsv);
    print("export json", exportJson, shellExportJson);
    print("list (tsv)", list, shellList);
    print("import csv", imports, shellImports);
    std::printf("(numira's import also checks every serial for a duplicate)\n");
    return 0;
}
