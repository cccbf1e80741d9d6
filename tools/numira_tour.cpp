// Walks through the program as a user would and saves a PNG of each window it reaches:
// the main window, every record screen, the edit screen with its details dialog, the
// Expiring Licences list, the About window and the full popup menu. Run it under a display
// (xvfb-run); it uses the program folder beside the executable and a database of sample records of
// its own, and never asks anything: questions are answered Yes and file dialogs cancelled.
//
//   numira_tour OUTPUT_FOLDER [PREFIX]
//   numira_tour --grab FILE      (only saves the whole screen, e.g. with the real program on it)

#include "about/AboutWindow.h"
#include "app/DatabaseLock.h"
#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/WindowRegistry.h"
#include "screens/LockScreen.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/Translations.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/SecretBytes.h"
#include "store/records/RecordDetails.h"
#include "store/sqlite/SchemaFile.h"
#include "store/sqlite/SqliteDriver.h"
#include "ui/Prompt.h"
#include "web/EngineWebView.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QScreen>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <unistd.h>

namespace {

class AutoPrompt final : public Prompt
{
public:
    PromptAnswer message(const PromptMessage& message) override
    {
        QTextStream(stdout) << "message: " << message.text << "\n";
        return message.buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::Ok;
    }
    QString openFile(const QString& title, const QString&, const QString&) override
    {
        QTextStream(stdout) << "open dialog cancelled: " << title << "\n";
        return QString();
    }
    QString saveFile(const QString& title, const QString&, const QString&) override
    {
        QTextStream(stdout) << "save dialog cancelled: " << title << "\n";
        return QString();
    }
    PassphraseAnswer askPassphrase(const PassphraseQuestion& question) override
    {
        QTextStream(stdout) << "passphrase question cancelled: " << question.title << "\n";
        return {};
    }
};

void wait(int ms)
{
    QTest::qWait(ms);
}

// What the screen shows where the window lies, so the window's outline is seen as cut.
void shoot(const QWidget* window, const QString& file)
{
    wait(300);
    const QRect area = window->frameGeometry();
    QPixmap picture = window->screen()->grabWindow(0, area.x() - 10, area.y() - 10,
                                                   area.width() + 20, area.height() + 20);
    picture.save(file);
    QTextStream(stdout) << "saved " << file << "\n";
}

bool makeSampleDatabase(const QString& path, const QString& schema)
{
    QFile::remove(path);
    QString error;
    if (!SchemaFile::createDatabase(path, schema, &error)) {
        QTextStream(stderr) << error << "\n";
        return false;
    }
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), QStringLiteral("tour"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery query(db);
        const QList<QStringList> records = {
            {"PhotoForge", "7.2", "Ada Lovelace", "PF7-2291-KQ8Z-1187"},
            {"PhotoForge", "6.0", "Ada Lovelace", "PF6-0071-AB12-9910"},
            {"PhotoForge", "5.5", "A. Lovelace", "PF55-8812-ZZ01"},
            {"SoundSmith", "2024", "Grace Hopper", "SS24-7781-0021-XY"},
            {"TypeRight", "3.1.4", "Alan Turing", "TR-314-15926-53589"},
            {"ZipMaster", "11", "Edsger Dijkstra", "ZM11-GOTO-HARM-FUL"}};
        for (const QString& program : {"PhotoForge", "SoundSmith", "TypeRight", "ZipMaster"}) {
            query.prepare(QStringLiteral("INSERT INTO programs (program) VALUES (?)"));
            query.addBindValue(program);
            query.exec();
        }
        for (const QStringList& record : records) {
            query.prepare(
                QStringLiteral("INSERT INTO serials (program, version, name, serial, date) "
                               "VALUES (?, ?, ?, ?, datetime('now'))"));
            for (const QString& value : record)
                query.addBindValue(value);
            query.exec();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("tour"));
    return true;
}

// Licence details for some sample records: one expires soon, one expired, one far ahead.
void addSampleDetails(DatabaseSession& session)
{
    const QDate today = QDate::currentDate();
    RecordDetails soon;
    soon.email = QStringLiteral("ada@example.com");
    soon.url = QStringLiteral("https://photoforge.example.com/account");
    soon.purchased = today.addDays(-353);
    soon.expires = today.addDays(12);
    soon.seats = 3;
    soon.order = QStringLiteral("PF-2025-04417");
    soon.notes = QStringLiteral("Yearly subscription.\nRenewal price fixed until 2028.");
    RecordDetails expired;
    expired.expires = today.addDays(-4);
    RecordDetails later;
    later.expires = today.addDays(25);
    RecordDetails farAhead;
    farAhead.expires = today.addDays(400);
    const QList<std::pair<qlonglong, RecordDetails>> details = {
        {1, soon}, {2, expired}, {4, later}, {5, farAhead}};
    for (const auto& [id, record] : details) {
        bool found = false;
        StoreError error;
        if (!RecordDetailsStore::save(session, id, record, &found, &error))
            QTextStream(stderr) << "details not stored: " << error.message() << "\n";
    }
}

template <class T> T* child(QWidget* form, const char* name)
{
    return form ? form->findChild<T*>(QLatin1String(name)) : nullptr;
}

void click(QWidget* form, const char* name)
{
    if (auto* button = child<QAbstractButton>(form, name))
        button->click();
    wait(200);
}

} // namespace

int main(int argc, char* argv[])
{
    if (::geteuid() == 0)
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The engine, loaded from its plugin after QApplication, expects shared contexts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    // The program's texts in the language the environment asks for, from the build's program
    // folder, as the program reads them.
    Translations::install(app, QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"),
                          QProcessEnvironment::systemEnvironment());
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: numira_tour OUTPUT_FOLDER [PREFIX]\n";
        return 2;
    }
    if (args.at(1) == QLatin1String("--grab") && args.size() > 2) {
        const bool saved = QGuiApplication::primaryScreen()->grabWindow(0).save(args.at(2));
        QTextStream(stdout) << (saved ? "saved " : "could not save ") << args.at(2) << "\n";
        return saved ? 0 : 1;
    }
    const QString out = args.at(1);
    const QString prefix = args.size() > 2 ? args.at(2) : QString();
    QDir().mkpath(out);
    auto file = [&](const QString& name) {
        return out + QLatin1Char('/') + prefix + name + QStringLiteral(".png");
    };

    const QString programFolder =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bin");
    const QString database = QDir::tempPath() + QStringLiteral("/numira-tour.mdb");
    if (!makeSampleDatabase(database, QStringLiteral(NUMIRA_SCHEMA_FILE)))
        return 1;
    SettingsStore::write(SettingsStore::DBInUse, database);

    AutoPrompt prompt;
    MainDeps deps;
    deps.prompt = &prompt;
    deps.programFolder = QDir(programFolder).canonicalPath();
    deps.endProcess = [] {};
    deps.lockPath = QDir::tempPath() + QStringLiteral("/numira-tour.lock");
    // The browser's plugin lies beside the program, not beside the tour.
    deps.makeWebView = [folder = deps.programFolder](QWidget* parent) -> WebView* {
        return new EngineWebView(parent, folder, EngineWebView::pluginPathFor(folder));
    };
    MainWindow main(deps);
    if (!main.startUp())
        return 1;
    addSampleDetails(main.session());
    main.showCentered();
    wait(2500); // the start page loads
    shoot(&main, file(QStringLiteral("main")));

    main.hostFromButton(MainWindow::Screen::Add);
    shoot(&main, file(QStringLiteral("add")));

    main.hostFromButton(MainWindow::Screen::Browse);
    QWidget* browse = WindowRegistry::loadedForm(QStringLiteral("frmBrowse"));
    if (auto* program = child<QComboBox>(browse, "cmbProgram")) {
        program->setFocus();
        QTest::keyClicks(program, QStringLiteral("PhotoForge"));
    }
    click(browse, "cmdSearch");
    shoot(&main, file(QStringLiteral("browse")));

    if (auto* records = child<QAbstractItemView>(browse, "lstRecords")) {
        records->setCurrentIndex(records->model()->index(0, 0));
        click(browse, "cmdView");
        shoot(&main, file(QStringLiteral("edit")));
        QWidget* edit = WindowRegistry::loadedForm(QStringLiteral("frmEdit"));
        click(edit, "cmdDetails");
        if (auto* details = child<QWidget>(edit, "frmDetails")) {
            details->move(main.geometry().topLeft() + QPoint(60, 40));
            shoot(details, file(QStringLiteral("details")));
            details->close();
        }
    }

    main.hostFromButton(MainWindow::Screen::Expiring);
    shoot(&main, file(QStringLiteral("expiring")));

    main.hostFromButton(MainWindow::Screen::Search);
    QWidget* search = WindowRegistry::loadedForm(QStringLiteral("frmSearch"));
    if (auto* keywords = child<QWidget>(search, "txtKeywords"))
        QTest::keyClicks(keywords, QStringLiteral("a"));
    click(search, "cmdSearch");
    shoot(&main, file(QStringLiteral("search")));

    main.backToBrowser();
    main.showAbout();
    if (QWidget* about = WindowRegistry::loadedForm(QStringLiteral("frmAbout"))) {
        about->move(main.geometry().topLeft() + QPoint(40, 20));
        wait(300);
        shoot(about, file(QStringLiteral("about")));
        WindowRegistry::unload(about);
    }

    QTest::mouseClick(&main, Qt::RightButton, {}, QPoint(200, 10));
    wait(300);
    if (auto* popup =
            qobject_cast<PopupMenus*>(WindowRegistry::loadedForm(QStringLiteral("frmPopup")))) {
        const QRect menuArea = popup->popupsub->geometry().united(main.frameGeometry());
        QPixmap picture = main.screen()->grabWindow(0, menuArea.x(), menuArea.y(), menuArea.width(),
                                                    menuArea.height());
        picture.save(file(QStringLiteral("menu")));
        QTextStream(stdout) << "saved " << file(QStringLiteral("menu")) << "\n";
        popup->popupsub->close();
    }

    // The window of a protected database once it locked, a wrong passphrase tried.
    main.session().close();
    QString error;
    if (DatabaseProtection::protect(main.session().keys(), database,
                                    SecretBytes(QStringLiteral("tour passphrase")), &error) &&
        main.openConnection()) {
        main.hostFromButton(MainWindow::Screen::Browse);
        main.databaseLock().lock(DatabaseLock::Cause::Idle);
        if (LockScreen* locked = main.databaseLock().lockScreen()) {
            QTest::keyClicks(locked->txtPassphrase, QStringLiteral("not it"));
            locked->cmdUnlock->click();
        }
        shoot(&main, file(QStringLiteral("locked")));
    } else {
        QTextStream(stderr) << "no picture of the locked window: " << error << "\n";
    }

    main.unload();
    QFile::remove(database);
    return 0;
}
