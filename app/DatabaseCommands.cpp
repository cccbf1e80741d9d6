#include "app/DatabaseCommands.h"

#include "app/MainWindow.h"
#include "app/SearchIndexDialog.h"
#include "app/StartupRules.h"
#include "app/WindowRegistry.h"
#include "store/Backup.h"
#include "store/Database.h"
#include "store/DatabaseProtection.h"
#include "store/PassphraseKeyring.h"
#include "store/RecordExport.h"
#include "store/RecordImport.h"
#include "store/RecordStore.h"
#include "store/SecretBytes.h"
#include "store/SettingsStore.h"
#include "ui/Prompt.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcDatabaseCommands, "numira.database")

namespace {

const QString ErrorOpeningMessage =
    QStringLiteral("Error Opening Database!  Please select your database!");
const QString InvalidStructureMessage = QStringLiteral(
    "Invalid Database Structure! Please make sure you only use databases specifically designed "
    "for this application!");
const QString DatabaseFilter = QStringLiteral("Database (*.mdb)|*.mdb| ");
const QString ImportFilter = QStringLiteral(
    "CSV (*.csv)|*.csv|Key finder CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|"
    "All Files (*)|*| ");
const QString ExportFilter =
    QStringLiteral("CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|All Files (*)|*| ");

} // namespace

DatabaseCommands::DatabaseCommands(MainWindow& window) : m_window(window)
{
}

Prompt& DatabaseCommands::prompt() const
{
    return m_window.prompt();
}

void DatabaseCommands::showBrowserOverScreens()
{
    WindowRegistry::closeChildScreens();
    m_window.showBrowser();
}

void DatabaseCommands::openAtStartUp(const MainDeps& deps)
{
    QString& dbPath = Database::databasePath();
    if (dbPath.isEmpty()) {
        const QString userData =
            deps.userDataFolder.isEmpty() ? StartupRules::userDataFolder() : deps.userDataFolder;
        dbPath =
            StartupRules::defaultDatabasePath(deps.programFolder, deps.executableFolder, userData);
        const QString shipped = StartupRules::shippedDatabasePath(deps.programFolder);
        QString error;
        if (dbPath != shipped && !StartupRules::provideUserDatabase(shipped, dbPath, &error))
            qCWarning(lcDatabaseCommands).noquote() << "No database of your own was made:" << error;
        SettingsStore::write(SettingsStore::DBInUse, dbPath);
    }
    Database::connectionString() = Database::connectionStringFor(dbPath);
    if (!StartupRules::isOrdinaryFile(dbPath))
        chooseDatabase();
    QString why;
    if (!unlock(Database::databasePath()) ||
        !Database::openConnection(Database::connectionString(), &why)) {
        // A damaged file says so, and the dialog that follows is where its backup is chosen.
        prompt().critical(why == Database::damagedMessage() ? why : ErrorOpeningMessage);
        chooseDatabase();
        return;
    }
    if (!Database::checkSchema(dbPath)) {
        // A database named by the settings passes the same check as one chosen in the dialog.
        prompt().critical(InvalidStructureMessage);
        chooseDatabase();
        return;
    }
    SearchIndexDialog::ensureIndexSoon(&m_window);
}

void DatabaseCommands::chooseDatabase()
{
    WindowRegistry::closeChildScreens();
    const QString inUse = Database::databasePath();
    const QString chosen =
        prompt().openFile(QStringLiteral("Open"), DatabaseFilter,
                          inUse.isEmpty() ? QString() : QFileInfo(inUse).absolutePath());
    if (!chosen.isEmpty()) {
        if (Database::connectionExists())
            Database::closeConnection();
        QString why;
        if (unlock(chosen) && Database::checkSchema(chosen, &why)) {
            SettingsStore::write(SettingsStore::DBInUse, chosen);
            Database::databasePath() = SettingsStore::read(SettingsStore::DBInUse);
            Database::connectionString() = Database::connectionStringFor(Database::databasePath());
            const bool opened = Database::openConnection(Database::connectionString());
            m_window.showDatabaseName();
            if (!opened)
                return;
            SearchIndexDialog::ensureIndex(&m_window);
            showBrowserOverScreens();
            return;
        }
        // Not a Numira database (or no database at all): the one in use stays.
        Database::openConnection(Database::connectionString());
        m_window.showDatabaseName();
        prompt().critical(why == Database::damagedMessage() ? why : InvalidStructureMessage);
    }
    const bool opened = Database::openConnection(Database::connectionString());
    m_window.showDatabaseName();
    if (!opened)
        return;
    showBrowserOverScreens();
}

void DatabaseCommands::backup()
{
    if (!prompt().askYesNo(QStringLiteral(
            "Numira will now backup the database that you are currently using!  Please Select the "
            "Directory you would like to backup to and Click Save! Do you want to continue?")))
        return;
    WindowRegistry::closeChildScreens();
    const QString target =
        prompt().saveFile(QStringLiteral("Backup Serials..."), DatabaseFilter,
                          Backup::proposedBackupPath(QDate::currentDate(), QDir::homePath()));
    if (target.isEmpty())
        return;
    if (Database::connectionExists())
        Database::closeConnection();
    QString error;
    if (!Backup::copyDatabase(Database::databasePath(), target, &error)) {
        // The screens need the connection: open it again before saying what went wrong.
        Database::openConnection(Database::connectionString());
        prompt().critical(QStringLiteral("The backup to \"%1\" failed!  %2").arg(target, error));
        return;
    }
    prompt().inform(QStringLiteral("Database Backup Complete!"));
    if (!Database::openConnection(Database::connectionString()))
        return;
    showBrowserOverScreens();
}

QString DatabaseCommands::recordsFolder() const
{
    return m_recordsFolder.isEmpty() ? QDir::homePath() : m_recordsFolder;
}

void DatabaseCommands::importRecords()
{
    const QString title = QStringLiteral("Import Records");
    const QString source = prompt().openFile(title, ImportFilter, recordsFolder());
    if (source.isEmpty())
        return;
    m_recordsFolder = QFileInfo(source).absolutePath();
    QByteArray bytes;
    QList<RecordStore::SerialRecord> records;
    QString error;
    // A key finder's export is told by its header, whichever file type was chosen.
    if (RecordImport::readFile(source, &bytes, &error))
        RecordImport::parse(bytes, RecordImport::detectedFormat(source, bytes), &records, &error);
    bytes.clear();
    RecordStore::ImportOutcome outcome;
    if (error.isEmpty())
        RecordStore::importRecords(records, {}, &outcome, &error);
    if (!error.isEmpty()) {
        prompt().critical(
            QStringLiteral("Nothing was imported from \"%1\"!  %2").arg(source, error), title);
        return;
    }
    // The lists on the screens no longer show every record.
    showBrowserOverScreens();
    prompt().inform(QStringLiteral("Records imported: %1.  Duplicates skipped: %2.  New "
                                   "programs: %3.")
                        .arg(outcome.added)
                        .arg(outcome.duplicates)
                        .arg(outcome.newPrograms),
                    title);
}

void DatabaseCommands::exportRecords()
{
    const QString title = QStringLiteral("Export Records");
    RecordExport::Options options; // a plain export, unless the box is checked
    const QString target = prompt().saveFileWithOption(
        title, ExportFilter, recordsFolder() + QStringLiteral("/NumiraRecords.csv"),
        QStringLiteral("&Spreadsheet-safe CSV: a ' before cells that begin with =, +, -, @"),
        &options.spreadsheetSafe);
    if (target.isEmpty())
        return;
    m_recordsFolder = QFileInfo(target).absolutePath();
    // Only the backup replaces a file without a question.
    const QFileInfo existing(target);
    if ((existing.exists() || existing.isSymLink()) &&
        !prompt().askYesNo(
            QStringLiteral("\"%1\" already exists.  Do you want to replace it?").arg(target),
            title))
        return;
    warnIfExportIsPlain(title);
    qint64 count = 0;
    QString error;
    if (RecordExport::exportToFile(target, RecordExport::formatForFile(target), options, &count,
                                   &error)) {
        prompt().inform(QStringLiteral("Records exported: %1.").arg(count), title);
        return;
    }
    prompt().critical(QStringLiteral("The export to \"%1\" failed!  %2").arg(target, error), title);
}

bool DatabaseCommands::unlock(const QString& path)
{
    if (!Database::isProtectedFile(path) || Database::hasPassphrase(path))
        return true;
    const QString keyringProblem = PassphraseKeyring::unavailableReason();
    if (keyringProblem.isEmpty()) {
        SecretBytes kept;
        if (PassphraseKeyring::read(path, &kept) &&
            Database::checkPassphrase(path, kept) == Database::PassphraseCheck::Right) {
            Database::rememberPassphrase(path, kept);
            return true;
        }
    }
    constexpr int Tries = 3;
    for (int attempt = 0; attempt < Tries; ++attempt) {
        PassphraseQuestion question;
        question.title = QStringLiteral("Passphrase");
        question.text =
            QStringLiteral("The database \"%1\" is protected. Enter its passphrase:").arg(path);
        question.offerKeyring = true;
        question.keyringUnavailable = keyringProblem;
        PassphraseAnswer answer = prompt().askPassphrase(question);
        if (!answer.accepted)
            return false;
        const SecretBytes passphrase(answer.passphrase);
        SecretBytes::wipe(answer.passphrase);
        switch (Database::checkPassphrase(path, passphrase)) {
        case Database::PassphraseCheck::Right: {
            Database::rememberPassphrase(path, passphrase);
            QString error;
            if (answer.remember && !PassphraseKeyring::store(path, passphrase, &error))
                prompt().warn(
                    QStringLiteral("The keyring did not keep the passphrase: %1").arg(error),
                    question.title);
            return true;
        }
        case Database::PassphraseCheck::Wrong:
            prompt().critical(Database::wrongPassphraseMessage(), question.title);
            break;
        case Database::PassphraseCheck::Failed:
            // Not a matter of the passphrase: opening says what is wrong with the file.
            return true;
        }
    }
    return false;
}

bool DatabaseCommands::confirmCurrentPassphrase(const QString& title)
{
    if (!Database::isProtectedFile(Database::databasePath())) {
        prompt().inform(QStringLiteral("The database is not protected by a passphrase."), title);
        return false;
    }
    PassphraseQuestion question;
    question.title = title;
    question.text = QStringLiteral("Enter the database's current passphrase:");
    PassphraseAnswer answer = prompt().askPassphrase(question);
    if (!answer.accepted)
        return false;
    const SecretBytes passphrase(answer.passphrase);
    SecretBytes::wipe(answer.passphrase);
    QString error;
    switch (Database::checkPassphrase(Database::databasePath(), passphrase, &error)) {
    case Database::PassphraseCheck::Right:
        return true;
    case Database::PassphraseCheck::Wrong:
        prompt().critical(Database::wrongPassphraseMessage(), title);
        return false;
    case Database::PassphraseCheck::Failed:
        break;
    }
    prompt().critical(error, title);
    return false;
}

void DatabaseCommands::rewriteDatabase(const QString& title,
                                       const std::function<bool(QString*)>& rewrite,
                                       const QString& done)
{
    WindowRegistry::closeChildScreens();
    if (Database::connectionExists())
        Database::closeConnection();
    QString error;
    const bool rewritten = rewrite(&error);
    // The screens need the connection, whatever the outcome.
    Database::openConnection(Database::connectionString());
    if (!rewritten) {
        prompt().critical(error, title);
        return;
    }
    showBrowserOverScreens();
    prompt().inform(done, title);
}

void DatabaseCommands::protectWithPassphrase()
{
    const QString title = QStringLiteral("Protect with Passphrase");
    const QString path = Database::databasePath();
    if (!StartupRules::isOrdinaryFile(path)) {
        prompt().critical(Database::noConnectionMessage(), title);
        return;
    }
    if (Database::isProtectedFile(path)) {
        prompt().inform(QStringLiteral("The database is protected by a passphrase already."),
                        title);
        return;
    }
    PassphraseQuestion question;
    question.title = title;
    question.text = QStringLiteral(
        "Numira will encrypt the database with this passphrase. Without it, nobody (not even "
        "you) can read the records again. Enter it twice:");
    question.confirm = true;
    PassphraseAnswer answer = prompt().askPassphrase(question);
    if (!answer.accepted)
        return;
    const SecretBytes passphrase(answer.passphrase);
    SecretBytes::wipe(answer.passphrase);
    rewriteDatabase(
        title, [&](QString* error) { return DatabaseProtection::protect(path, passphrase, error); },
        QStringLiteral("The database is protected by the passphrase.  Older copies of the file "
                       "and its backups are not."));
}

void DatabaseCommands::changePassphrase()
{
    const QString title = QStringLiteral("Change Passphrase");
    const QString path = Database::databasePath();
    if (!confirmCurrentPassphrase(title))
        return;
    PassphraseQuestion question;
    question.title = title;
    question.text = QStringLiteral("Enter the new passphrase twice:");
    question.confirm = true;
    PassphraseAnswer answer = prompt().askPassphrase(question);
    if (!answer.accepted)
        return;
    const SecretBytes passphrase(answer.passphrase);
    SecretBytes::wipe(answer.passphrase);
    rewriteDatabase(
        title,
        [&](QString* error) {
            if (!DatabaseProtection::changePassphrase(path, passphrase, error))
                return false;
            // A passphrase the keyring kept for the file is the new one from now on.
            SecretBytes kept;
            if (PassphraseKeyring::unavailableReason().isEmpty() &&
                PassphraseKeyring::read(path, &kept))
                PassphraseKeyring::store(path, passphrase);
            return true;
        },
        QStringLiteral("The passphrase is changed."));
}

void DatabaseCommands::removePassphrase()
{
    const QString title = QStringLiteral("Remove Passphrase");
    const QString path = Database::databasePath();
    if (!confirmCurrentPassphrase(title))
        return;
    rewriteDatabase(
        title,
        [&](QString* error) {
            if (!DatabaseProtection::unprotect(path, error))
                return false;
            if (PassphraseKeyring::unavailableReason().isEmpty())
                PassphraseKeyring::remove(path);
            return true;
        },
        QStringLiteral("The passphrase is removed: the database file is not encrypted any "
                       "more."));
}

void DatabaseCommands::warnIfExportIsPlain(const QString& title)
{
    if (Database::isProtectedFile(Database::databasePath()))
        prompt().warn(QStringLiteral("The database is protected by a passphrase, but the "
                                     "exported file is not: anyone who gets it can read every "
                                     "record."),
                      title);
}
