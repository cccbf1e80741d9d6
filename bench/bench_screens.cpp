// Speed and memory of the record screens on a large database: 100,000 records under 1,000
// programs, generated afresh in a temporary folder. Prints its figures; it is not a test.
// Run: build/bench/bench_screens (no display needed).

#include "app/MainDeps.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/RecordHandOver.h"
#include "screens/SearchScreen.h"
#include "store/DatabaseSession.h"
#include "store/sqlite/SchemaFile.h"
#include "store/sqlite/SqlCatalogue.h"
#include "ui/Prompt.h"
#include "ui/SkinColor.h"
#include "web/WebView.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include "BenchSupport.h"
#include "store/sqlite/SqliteDriver.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

constexpr int RecordCount = 100000;
constexpr int ProgramCount = 1000;
constexpr int BigProgramRecords = 10000;
constexpr int Repeats = 9;

const QString BigProgram = QStringLiteral("Big Suite");
// Ten records carry this word in their name; the serial alphabet has no "0", so nothing else
// can contain it.
const QString RareKeyword = QStringLiteral("Kiwi0");
// Every record's name contains this word, and only the name: "All" tests all four fields.
const QString CommonKeyword = QStringLiteral("Owner");

class SilentPrompt final : public Prompt
{
public:
    PromptAnswer message(const PromptMessage& message) override
    {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(message.text));
        return PromptAnswer::No;
    }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    PassphraseAnswer askPassphrase(const PassphraseQuestion&) override { return {}; }
};

class NullWebView final : public WebView
{
public:
    using WebView::WebView;
    void navigate(const QUrl& url) override { m_url = url; }
    QUrl url() const override { return m_url; }

private:
    QUrl m_url;
};

QString randomSerial(QRandomGenerator& random)
{
    static const QString alphabet = QStringLiteral("ABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QString serial;
    for (int group = 0; group < 4; ++group) {
        if (group > 0)
            serial += QLatin1Char('-');
        for (int i = 0; i < 5; ++i)
            serial += alphabet.at(int(random.bounded(alphabet.size())));
    }
    return serial;
}

bool generate(const QString& dbPath, QString* error)
{
    if (!SchemaFile::createDatabase(dbPath, QStringLiteral(NUMIRA_SCHEMA_FILE), error))
        return false;
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "bench-generate");
        db.setDatabaseName(dbPath);
        if (!db.open() || !db.transaction()) {
            *error = db.lastError().text();
        } else {
            QRandomGenerator random(20240229);
            QStringList programs{BigProgram};
            for (int i = 1; i < ProgramCount; ++i)
                programs << QStringLiteral("Program %1").arg(i, 4, 10, QLatin1Char('0'));
            QSqlQuery insert(db);
            insert.prepare(SqlCatalogue::InsertProgram);
            for (const QString& program : programs) {
                insert.addBindValue(program);
                insert.exec();
            }
            insert.prepare(SqlCatalogue::InsertSerial);
            for (int i = 0; i < RecordCount; ++i) {
                const QString& program =
                    i < BigProgramRecords
                        ? BigProgram
                        : programs.at(1 + (i - BigProgramRecords) % (ProgramCount - 1));
                const bool rare = i % (RecordCount / 10) == 5000;
                insert.addBindValue(program);
                insert.addBindValue((rare ? RareKeyword + QLatin1Char(' ') : QString()) +
                                    CommonKeyword + QLatin1Char(' ') + QString::number(i));
                insert.addBindValue(randomSerial(random));
                insert.addBindValue(
                    QStringLiteral("%1.%2").arg(random.bounded(1, 20)).arg(random.bounded(10)));
                insert.addBindValue(QStringLiteral("2024-01-01T12:00:00"));
                if (!insert.exec()) {
                    *error = insert.lastError().text();
                    break;
                }
            }
            ok = error->isEmpty() && db.commit();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-generate");
    return ok;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

struct Timing
{
    double first = 0;
    double median = 0;
    double cpu = 0; // median processor time of this thread; other programs on the machine
                    // lengthen the wall-clock figures, not this one
};

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Milliseconds of each run; every run ends when pending paints are done.
Timing measure(const std::function<void()>& setUp, const std::function<void()>& work)
{
    QList<double> runs;
    QList<double> cpu;
    for (int i = 0; i < Repeats; ++i) {
        if (setUp)
            setUp();
        const double cpuStart = threadCpuMs();
        QElapsedTimer timer;
        timer.start();
        work();
        QCoreApplication::processEvents();
        runs << timer.nsecsElapsed() / 1e6;
        cpu << threadCpuMs() - cpuStart;
    }
    return {runs.first(), median(runs), median(cpu)};
}

struct ShellTiming
{
    double wall = -1;  // start of the process to its end, milliseconds
    double timer = -1; // the shell's own ".timer on" real time, milliseconds
    double cpu = -1;   // its user plus system time, milliseconds
};

ShellTiming shellSearch(const QString& dbPath, const QString& keyword)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        return {};
    QString sql = BenchSupport::ScanAllSql;
    sql.replace(QLatin1Char('?'), QLatin1Char('\'') + keyword + QLatin1Char('\''));
    QList<double> walls;
    QList<double> timers;
    QList<double> cpus;
    for (int i = 0; i < Repeats; ++i) {
        QProcess process;
        QElapsedTimer timer;
        timer.start();
        process.start(shell, {dbPath, sql});
        process.waitForFinished(-1);
        walls << timer.nsecsElapsed() / 1e6;

        QProcess timed;
        timed.start(shell, {dbPath});
        timed.write(QStringLiteral(".timer on\n%1;\n").arg(sql).toUtf8());
        timed.closeWriteChannel();
        timed.waitForFinished(-1);
        const QRegularExpression runTime(
            QStringLiteral("Run Time: real ([0-9.]+) user ([0-9.]+) sys ([0-9.]+)"));
        const QRegularExpressionMatch match = runTime.match(QString::fromUtf8(timed.readAll()));
        if (match.hasMatch()) {
            timers << match.captured(1).toDouble() * 1000;
            cpus << (match.captured(2).toDouble() + match.captured(3).toDouble()) * 1000;
        }
    }
    if (timers.isEmpty())
        return {median(walls), -1, -1};
    return {median(walls), median(timers), median(cpus)};
}

void line(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

QString ms(double value)
{
    return QString::number(value, 'f', 1) + QStringLiteral(" ms");
}

QString mb(qint64 kb)
{
    return QString::number(kb / 1024.0, 'f', 1) + QStringLiteral(" MB");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("numira.mdb"));

    QElapsedTimer generation;
    generation.start();
    QString error;
    if (!generate(dbPath, &error)) {
        std::fprintf(stderr, "cannot generate the database: %s\n", qPrintable(error));
        return 1;
    }
    line(QStringLiteral("Numira record screens: %1 records under %2 programs, generated in %3 s")
             .arg(RecordCount)
             .arg(ProgramCount)
             .arg(generation.elapsed() / 1000.0, 0, 'f', 1));

    SilentPrompt prompt;
    MainDeps deps;
    deps.prompt = &prompt;
    deps.programFolder = dir.path();
    deps.makeWebView = [](QWidget* parent) -> WebView* { return new NullWebView(parent); };
    deps.probe = [](const QString&) { return quint32(11010); };
    deps.endProcess = [] {};
    deps.trayAvailable = false;
    deps.twipsPerPixel = 15;
    deps.lockPath = dir.filePath(QStringLiteral("numira.lock"));
    MainWindow main(deps);
    main.session().setAddress(dbPath);
    if (const StoreError failure = main.session().open()) {
        std::fprintf(stderr, "cannot open the database: %s\n", qPrintable(failure.message()));
        return 1;
    }
    main.show();
    QCoreApplication::processEvents();
    const qint64 emptyRss = BenchSupport::statusKb("VmRSS");
    const qint64 emptyHwm = BenchSupport::statusKb("VmHWM");

    const auto closeScreens = [] {
        WindowRegistry::closeChildScreens();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };

    // 1. A search that matches ten records, against the command-line shell.
    main.hostFromButton(MainWindow::Screen::Search);
    auto* search = qobject_cast<SearchScreen*>(main.recordScreen(MainWindow::Screen::Search));
    auto* results = search->findChild<QTreeView*>("lstSearchResults");
    const Timing rare =
        measure({}, [&] { search->runSearch(RareKeyword, RecordStore::SearchField::All); });
    const int rareRows = results->model()->rowCount();
    const ShellTiming shell = shellSearch(dbPath, RareKeyword);
    QString shellText = QStringLiteral("sqlite3 shell not found");
    if (shell.wall >= 0) {
        shellText = QStringLiteral("sqlite3 shell %1 with its start-up (ratio %2)")
                        .arg(ms(shell.wall))
                        .arg(rare.median / shell.wall, 0, 'f', 2);
        if (shell.timer >= 0)
            shellText += QStringLiteral(", shell's own timer %1 (ratio %2), shell's processor "
                                        "time %3 (ratio of processor times %4)")
                             .arg(ms(shell.timer))
                             .arg(rare.median / shell.timer, 0, 'f', 2)
                             .arg(ms(shell.cpu))
                             .arg(rare.cpu / shell.cpu, 0, 'f', 2);
    }
    line(QStringLiteral("1. Search \"All\" for %1 records: %2 median (processor %3), %4 first; "
                        "%5. Target < 30 ms and <= 1.5x the shell.")
             .arg(rareRows)
             .arg(ms(rare.median), ms(rare.cpu), ms(rare.first), shellText));

    // 2. A search that matches every record, the list painted.
    const Timing all = measure({}, [&] {
        search->runSearch(CommonKeyword, RecordStore::SearchField::All);
        results->viewport()->repaint();
    });
    const int allRows = results->model()->rowCount();
    const ShellTiming shellAll = shellSearch(dbPath, CommonKeyword);
    line(QStringLiteral("2. Search \"All\" for %1 records, list painted: %2 median (processor "
                        "%3), %4 first; sqlite3 shell %5 with its start-up, its own timer %6. "
                        "Target < 300 ms.")
             .arg(allRows)
             .arg(ms(all.median), ms(all.cpu), ms(all.first), ms(shellAll.wall),
                  ms(shellAll.timer)));

    // 5. Memory with the full result shown.
    const qint64 shownRss = BenchSupport::statusKb("VmRSS");
    const qint64 shownHwm = BenchSupport::statusKb("VmHWM");

    // 3. Browsing the program with 10,000 records.
    main.hostFromButton(MainWindow::Screen::Browse);
    auto* browse = qobject_cast<BrowseScreen*>(main.recordScreen(MainWindow::Screen::Browse));
    auto* records = browse->findChild<QTreeView*>("lstRecords");
    browse->findChild<QComboBox*>("cmbProgram")->setEditText(BigProgram);
    const Timing browsing = measure({}, [&] {
        browse->search();
        records->viewport()->repaint();
    });
    line(QStringLiteral("3. Browse a program of %1 records, list painted: %2 median (processor "
                        "%3), %4 first. Target < 50 ms.")
             .arg(records->model()->rowCount())
             .arg(ms(browsing.median), ms(browsing.cpu), ms(browsing.first)));

    // 4. Opening each screen through the main window, load step and first paint included.
    const QList<QPair<QString, MainWindow::Screen>> hosted = {
        {"frmAdd", MainWindow::Screen::Add},
        {"frmBrowse", MainWindow::Screen::Browse},
        {"frmSearch", MainWindow::Screen::Search}};
    QStringList opened;
    for (const auto& [name, screen] : hosted) {
        const Timing open = measure(closeScreens, [&] { main.hostFromButton(screen); });
        opened << QStringLiteral("%1 %2").arg(name, ms(open.median));
    }
    recordHandOver().selectedId = QStringLiteral("5000");
    recordHandOver().caller = browse;
    const Timing edit = measure(
        [&] {
            closeScreens();
            main.hostFromButton(MainWindow::Screen::Browse);
        },
        [&] {
            WindowRegistry::closeChildScreensExcept(QStringLiteral("frmBrowse"));
            main.hostScreen(main.recordScreen(MainWindow::Screen::Edit));
        });
    opened << QStringLiteral("frmEdit %1").arg(ms(edit.median));
    line(QStringLiteral("4. Open each screen (medians): %1. Target < 50 ms each.")
             .arg(opened.join(QStringLiteral(", "))));

    line(QStringLiteral("5. Memory: empty program %1 resident (peak %2); with the %3-row result "
                        "shown %4 resident (+%5), peak %6 (+%7). Limit +150 MB.")
             .arg(mb(emptyRss), mb(emptyHwm))
             .arg(allRows)
             .arg(mb(shownRss), mb(shownRss - emptyRss), mb(shownHwm), mb(shownHwm - emptyRss)));

    closeScreens();
    BenchSupport::session().close();
    return 0;
}
