#include "app/DatabaseCommands.h"

#include "app/DatabaseWindow.h"
#include "app/SearchIndexDialog.h"
#include "app/StartupRules.h"
#include "app/WindowRegistry.h"
#include "store/Backup.h"
#include "store/Database.h"
#include "store/DatabaseAddress.h"
#include "store/DatabaseProtection.h"
#include "store/PassphraseKeyring.h"
#include "store/PassphraseUnlock.h"
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
const QString ServerBackupFilter = QStringLiteral("JSON (*.json)|*.json| ");
const QString FilesOnlyMessage = QStringLiteral(
    "A passphrase protects a database file. A database on a server is protected by the "
    "server's own roles and rights.");
const QString ImportFilter = QStringLiteral(
    "CSV (*.csv)|*.csv|Key finder CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|"
    "All Files (*)|*| ");
const QString ExportFilter =
    QStringLiteral("CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|All Files (*)|*| ");

// What the user is told about a database that was refused: a damaged file and a server that
// cannot be reached say why; anything else is not a Numira database.
QString refusalMessage(const QString& chosen, const QString& why, const QString& otherwise)
{
    if (why == Database::damagedMessage())
        return why;
    if (DatabaseAddress::isServer(chosen) && !why.isEmpty() &&
        why != Database::foreignServerMessage(chosen))
        return why;
    return otherwise;
}

} // namespace

DatabaseCommands::DatabaseCommands(DatabaseWindow& window) : m_window(window)
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
    const bool server = DatabaseAddress::isServer(dbPath);
    if (!server && !StartupRules::isOrdinaryFile(dbPath))
        chooseDatabase();
    QString why;
    if (!unlock(Database::databasePath()) || !m_window.openConnection(&why)) {
        // A damaged file says so, and the dialog that follows is where its backup is chosen;
        // a server that does not answer or refuses the user says why.
        prompt().critical(refusalMessage(Database::databasePath(), why, ErrorOpeningMessage));
        chooseDatabase();
        return;
    }
    if (!Database::checkSchema(dbPath)) {
        // A database named by the settings passes the same check as one chosen in the dialog.
        prompt().critical(InvalidStructureMessage);
        chooseDatabase();
        return;
    }
    SearchIndexDialog::ensureIndexSoon(m_window.dialogParent());
}

void DatabaseCommands::chooseDatabase()
{
    WindowRegistry::closeChildScreens();
    const QString inUse = Database::databasePath();
    const bool serverInUse = DatabaseAddress::isServer(inUse);
    const QString chosen = prompt().openDatabase(
        QStringLiteral("Open"), DatabaseFilter,
        inUse.isEmpty() || serverInUse ? QString() : QFileInfo(inUse).absolutePath(),
        serverInUse ? inUse : QString());
    if (!chosen.isEmpty()) {
        if (Database::connectionExists())
            Database::closeConnection();
        QString why;
        bool signedIn = true;
        if ((signedIn = unlock(chosen)) && Database::checkSchema(chosen, &why)) {
            SettingsStore::write(SettingsStore::DBInUse, chosen);
            Database::databasePath() = SettingsStore::read(SettingsStore::DBInUse);
            Database::connectionString() = Database::connectionStringFor(Database::databasePath());
            const bool opened = m_window.openConnection();
            if (!opened)
                return;
            SearchIndexDialog::ensureIndex(m_window.dialogParent());
            showBrowserOverScreens();
            return;
        }
        // Not a Numira database (or no database at all): the one in use stays. A cancelled
        // password question is the user's own choice and needs no message.
        m_window.openConnection();
        if (signedIn || !DatabaseAddress::isServer(chosen))
            prompt().critical(refusalMessage(chosen, why, InvalidStructureMessage));
    }
    const bool opened = m_window.openConnection();
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
    // A server keeps its own files: its backup is every record, written as the JSON export
    // that Import Records reads back.
    const bool server = DatabaseAddress::isServer(Database::databasePath());
    QString proposed = Backup::proposedBackupPath(QDate::currentDate(), QDir::homePath());
    if (server)
        proposed = QFileInfo(proposed).path() + QLatin1Char('/') +
                   QFileInfo(proposed).completeBaseName() + QStringLiteral(".json");
    const QString target =
        prompt().saveFile(QStringLiteral("Backup Serials..."),
                          server ? ServerBackupFilter : DatabaseFilter, proposed);
    if (target.isEmpty())
        return;
    if (Database::connectionExists())
        Database::closeConnection();
    QString error;
    if (!Backup::copyDatabase(Database::databasePath(), target, &error)) {
        // The screens need the connection: open it again before saying what went wrong.
        m_window.openConnection();
        prompt().critical(QStringLiteral("The backup to \"%1\" failed!  %2").arg(target, error));
        return;
    }
    prompt().inform(QStringLiteral("Database Backup Complete!"));
    if (!m_window.openConnection())
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
    if (error == Database::readOnlyMessage()) {
        prompt().critical(error, title);
        return;
    }
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
    if (DatabaseAddress::isServer(path))
        return signIn(path);
    const QString title = QStringLiteral("Passphrase");
    bool remember = false;
    PassphraseUnlock::Asking asking;
    asking.tries = 3;
    asking.ask = [&] {
        PassphraseQuestion question;
        question.title = title;
        question.text =
            QStringLiteral("The database \"%1\" is protected. Enter its passphrase:").arg(path);
        question.offerKeyring = true;
        question.keyringUnavailable = PassphraseKeyring::unavailableReason();
        return askSecret(question, &remember);
    };
    asking.wrong = [&] { prompt().critical(Database::wrongPassphraseMessage(), title); };
    asking.accepted = [&](const SecretBytes& passphrase) {
        QString error;
        if (remember && !PassphraseKeyring::store(path, passphrase, &error))
            prompt().warn(QStringLiteral("The keyring did not keep the passphrase: %1").arg(error),
                          title);
    };
    // A check that failed is not a matter of the passphrase: opening says what is wrong with
    // the file.
    const PassphraseUnlock::Result result = PassphraseUnlock::unlock(path, asking);
    return result == PassphraseUnlock::Result::Unlocked ||
           result == PassphraseUnlock::Result::Failed;
}

bool DatabaseCommands::signIn(const QString& address)
{
    // Where libpq finds the password itself (~/.pgpass, the service file, the address), or
    // the server wants none, the first try opens.
    const QString probe = QStringLiteral("numira-sign-in");
    QString why;
    const auto tryOpen = [&] {
        why.clear();
        const bool opened = Database::openAddress(address, probe, &why);
        Database::removeConnection(probe);
        return opened;
    };
    const auto needsPassword = [&] {
        return why == Database::needsServerPasswordMessage(address) ||
               why == Database::wrongServerPasswordMessage();
    };
    if (tryOpen() || !needsPassword())
        return true; // anything else is said when the database is opened
    const QString keyringProblem = PassphraseKeyring::unavailableReason();
    if (keyringProblem.isEmpty()) {
        SecretBytes kept;
        if (PassphraseKeyring::readServerPassword(address, &kept)) {
            Database::rememberServerPassword(address, kept);
            if (tryOpen() || !needsPassword())
                return true;
            // A password changed on the server since: the kept one is of no use any more.
            Database::forgetServerPassword(address);
            PassphraseKeyring::removeServerPassword(address);
        }
    }
    const DatabaseAddress named(address);
    constexpr int Tries = 3;
    for (int attempt = 0; attempt < Tries; ++attempt) {
        PassphraseQuestion question;
        question.title = QStringLiteral("Password");
        question.text = named.user().isEmpty()
                            ? QStringLiteral("The server of \"%1\" asks for a password:")
                                  .arg(named.displayName())
                            : QStringLiteral("The server of \"%1\" asks for the password of %2:")
                                  .arg(named.displayName(), named.user());
        question.fieldLabel = QStringLiteral("&Password:");
        question.offerKeyring = true;
        question.keyringUnavailable = keyringProblem;
        bool remember = false;
        std::optional<SecretBytes> given = askSecret(question, &remember);
        if (!given)
            return false;
        const SecretBytes& password = *given;
        Database::rememberServerPassword(address, password);
        if (tryOpen() || !needsPassword()) {
            QString error;
            if (remember && !PassphraseKeyring::storeServerPassword(address, password, &error))
                prompt().warn(
                    QStringLiteral("The keyring did not keep the password: %1").arg(error),
                    question.title);
            return true;
        }
        Database::forgetServerPassword(address);
        prompt().critical(Database::wrongServerPasswordMessage(), question.title);
    }
    return false;
}

std::optional<SecretBytes> DatabaseCommands::askSecret(const PassphraseQuestion& question,
                                                       bool* remember)
{
    PassphraseAnswer answer = prompt().askPassphrase(question);
    if (remember)
        *remember = answer.remember;
    std::optional<SecretBytes> given;
    if (answer.accepted)
        given.emplace(answer.passphrase);
    SecretBytes::wipe(answer.passphrase);
    return given;
}

bool DatabaseCommands::confirmCurrentPassphrase(const QString& title)
{
    if (DatabaseAddress::isServer(Database::databasePath())) {
        prompt().inform(FilesOnlyMessage, title);
        return false;
    }
    if (!Database::isProtectedFile(Database::databasePath())) {
        prompt().inform(QStringLiteral("The database is not protected by a passphrase."), title);
        return false;
    }
    PassphraseQuestion question;
    question.title = title;
    question.text = QStringLiteral("Enter the database's current passphrase:");
    const std::optional<SecretBytes> given = askSecret(question);
    if (!given)
        return false;
    const SecretBytes& passphrase = *given;
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
    m_window.openConnection();
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
    if (DatabaseAddress::isServer(path)) {
        prompt().inform(FilesOnlyMessage, title);
        return;
    }
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
    const std::optional<SecretBytes> given = askSecret(question);
    if (!given)
        return;
    const SecretBytes& passphrase = *given;
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
    const std::optional<SecretBytes> given = askSecret(question);
    if (!given)
        return;
    const SecretBytes& passphrase = *given;
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
