#include "app/DatabaseCommands.h"

#include "app/DatabaseWindow.h"
#include "app/SearchIndexDialog.h"
#include "app/StartupRules.h"
#include "app/WindowRegistry.h"
#include "store/DatabaseAddress.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/files/Backup.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/PassphraseKeyring.h"
#include "store/keys/PassphraseUnlock.h"
#include "store/keys/SecretBytes.h"
#include "store/records/ImportJob.h"
#include "store/records/RecordExport.h"
#include "store/records/RecordImport.h"
#include "store/records/RecordStore.h"
#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProgressDialog>

#include <utility>

Q_LOGGING_CATEGORY(lcDatabaseCommands, "numira.database")

namespace {

const char* const ErrorOpeningMessage =
    QT_TRANSLATE_NOOP("DatabaseCommands", "Error Opening Database!  Please select your database!");
const char* const InvalidStructureMessage = QT_TRANSLATE_NOOP(
    "DatabaseCommands",
    "Invalid Database Structure! Please make sure you only use databases specifically designed "
    "for this application!");
const char* const DatabaseFilter =
    QT_TRANSLATE_NOOP("DatabaseCommands", "Database (*.mdb)|*.mdb| ");
const char* const ServerBackupFilter =
    QT_TRANSLATE_NOOP("DatabaseCommands", "JSON (*.json)|*.json| ");
const char* const FilesOnlyMessage = QT_TRANSLATE_NOOP(
    "DatabaseCommands",
    "A passphrase protects a database file. A database on a server is protected by the "
    "server's own roles and rights.");
// Below this an import is over before a progress dialog would be read.
constexpr int ProgressQuietMilliseconds = 500;
// importFormat reads the file types by their places here.
const char* const ImportFilter = QT_TRANSLATE_NOOP(
    "DatabaseCommands",
    "CSV (*.csv)|*.csv|Key finder CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|"
    "All Files (*)|*| ");
const char* const ExportFilter =
    QT_TRANSLATE_NOOP("DatabaseCommands",
                      "CSV (*.csv)|*.csv|JSON (*.json)|*.json|TSV (*.tsv)|*.tsv|All Files (*)|*| ");

// The format the Import dialog's file type names: a key finder's CSV, JSON or TSV as chosen.
// The first type, plain CSV, is the one the dialog starts with, so a file shown under it is
// still told by its header (a key finder's export or Numira's own); with "All Files", or a
// dialog that cannot say, the name and the header decide.
RecordImport::Format importFormat(int type, const QString& path, const QByteArray& bytes)
{
    using Format = RecordImport::Format;
    switch (type) {
    case 0:
        return RecordImport::detectedFormat(QString(), bytes);
    case 1:
        return Format::KeyFinder;
    case 2:
        return Format::Json;
    case 3:
        return Format::Tsv;
    default:
        return RecordImport::detectedFormat(path, bytes);
    }
}

// What the user is told about a database that was refused: where the reason is one the user
// can act on (a damaged or busy file, a server that cannot be reached or refuses the user), it
// is said; a database that is not Numira's gets the general words.
QString refusalMessage(const StoreError& why, const QString& otherwise)
{
    using Kind = StoreError::Kind;
    if (!why || why.is(Kind::Foreign) || why.is(Kind::NotADatabase) || why.is(Kind::Failed) ||
        why.is(Kind::Missing))
        return otherwise;
    return why.message();
}

} // namespace

DatabaseCommands::DatabaseCommands(DatabaseWindow& window, DatabaseSession& session)
    : m_window(window), m_session(session)
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
    QString dbPath = session().address();
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
        session().setAddress(dbPath);
    }
    StoreError why = session().probe(dbPath);
    if (why.is(StoreError::Kind::Missing)) {
        // One dialog, and when it is cancelled one message that names the file and says why.
        const QString missing = why.message();
        if (chooseDatabase())
            return;
        prompt().critical(tr("Error Opening Database!  %1").arg(missing));
        return;
    }
    why = StoreError();
    const bool unlocked = unlock(session().address());
    if (unlocked)
        removeRewriteLeftovers(session().address());
    bool opened = unlocked && !(why = session().openCheckingLater());
    if (!opened && mendIndexes(why, session().address()))
        opened = m_window.openConnection(&why);
    if (!opened) {
        reportRefusedAtStartUp(why);
        return;
    }
    m_startUpCheckDue = true;
}

void DatabaseCommands::reportRefusedAtStartUp(const StoreError& why)
{
    // A damaged file says so, and the dialog that follows is where its backup is chosen;
    // a server that does not answer or refuses the user says why.
    prompt().critical(refusalMessage(why, tr(ErrorOpeningMessage)));
    chooseDatabase();
}

void DatabaseCommands::finishOpeningAtStartUp()
{
    if (!std::exchange(m_startUpCheckDue, false))
        return;
    StoreError why = session().checkOpened();
    // Another opening took over in the meantime and said what it found.
    if (!why && !session().isOpen())
        return;
    bool opened = !why;
    if (!opened && mendIndexes(why, session().address()))
        opened = m_window.openConnection(&why);
    if (!opened) {
        reportRefusedAtStartUp(why);
        return;
    }
    if (session().checkSchema(session().address())) {
        // A database named by the settings passes the same check as one chosen in the dialog.
        prompt().critical(tr(InvalidStructureMessage));
        chooseDatabase();
        return;
    }
    SearchIndexDialog::ensureIndexSoon(m_window.dialogParent(), session());
}

bool DatabaseCommands::chooseDatabase()
{
    WindowRegistry::closeChildScreens();
    const QString inUse = session().address();
    // The dialog starts in the folder of a file in use; a server's address is offered again,
    // and so is one the user typed last, even when it did not open.
    const QString folder = DatabaseSession::folderOf(inUse);
    const QString offered = !m_typedAddress.isEmpty() ? m_typedAddress
                            : folder.isEmpty()        ? inUse
                                                      : QString();
    const QString chosen = prompt().openDatabase(tr("Open"), tr(DatabaseFilter), folder, offered);
    if (chosen.isEmpty()) {
        if (m_window.openConnection())
            showBrowserOverScreens();
        return false;
    }
    {
        if (DatabaseSession::folderOf(chosen).isEmpty())
            m_typedAddress = chosen;
        session().close();
        StoreError why;
        bool signedIn = true;
        if ((signedIn = unlock(chosen))) {
            why = session().checkSchema(chosen);
            if (mendIndexes(why, chosen))
                why = session().checkSchema(chosen);
        }
        if (signedIn && !why) {
            m_typedAddress.clear();
            removeRewriteLeftovers(chosen);
            SettingsStore::write(SettingsStore::DBInUse, chosen);
            session().setAddress(SettingsStore::read(SettingsStore::DBInUse));
            if (!m_window.openConnection())
                return true;
            SearchIndexDialog::ensureIndex(m_window.dialogParent(), session());
            showBrowserOverScreens();
            return true;
        }
        // Not a Numira database (or no database at all): the one in use stays. A cancelled
        // question for a passphrase or password is the user's own choice and needs no message.
        m_window.openConnection();
        if (signedIn)
            prompt().critical(refusalMessage(why, tr(InvalidStructureMessage)));
    }
    if (m_window.openConnection())
        showBrowserOverScreens();
    return true;
}

void DatabaseCommands::backup()
{
    if (!prompt().askYesNo(tr(
            "Numira will now backup the database that you are currently using!  Please Select the "
            "Directory you would like to backup to and Click Save! Do you want to continue?")))
        return;
    WindowRegistry::closeChildScreens();
    // A server keeps its own files: its backup is every record, written as the JSON export
    // that Import Records reads back.
    const bool copy = session().backsUpAsCopy();
    QString proposed = Backup::proposedBackupPath(QDate::currentDate(), QDir::homePath());
    if (!copy)
        proposed = QFileInfo(proposed).path() + QLatin1Char('/') +
                   QFileInfo(proposed).completeBaseName() + QStringLiteral(".json");
    const QString target = prompt().saveFile(
        tr("Backup Serials..."), copy ? tr(DatabaseFilter) : tr(ServerBackupFilter), proposed);
    if (target.isEmpty())
        return;
    session().close();
    QString error;
    QString note;
    if (!Backup::copyDatabase(session().address(), target, &error, &session().keys(), &note)) {
        // The screens need the connection: open it again before saying what went wrong.
        m_window.openConnection();
        prompt().critical(tr("The backup to \"%1\" failed!  %2").arg(target, error));
        return;
    }
    prompt().inform(note.isEmpty() ? tr("Database Backup Complete!")
                                   : tr("Database Backup Complete!  %1").arg(note));
    if (!m_window.openConnection())
        return;
    showBrowserOverScreens();
}

QString DatabaseCommands::recordsFolder() const
{
    return m_recordsFolder.isEmpty() ? QDir::homePath() : m_recordsFolder;
}

void DatabaseCommands::importOffTheWindow(QList<RecordStore::SerialRecord> records,
                                          RecordStore::ImportOutcome* outcome, StoreError* error)
{
    // The window answers meanwhile; a progress dialog with Cancel shows once the import takes
    // longer than a moment, and keeps the user from changing the database under it.
    constexpr int Steps = 1000;
    QProgressDialog dialog(tr("Importing records..."), tr("&Cancel"), 0, Steps,
                           m_window.dialogParent());
    dialog.setObjectName(QStringLiteral("dlgImportProgress"));
    dialog.setWindowTitle(tr("Import Records"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(ProgressQuietMilliseconds);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    ImportJob job(session(), std::move(records), {});
    QEventLoop loop;
    QObject::connect(&job, &ImportJob::progressed, &dialog,
                     [&dialog](qsizetype done, qsizetype total) {
                         dialog.setValue(total > 0 ? int(done * Steps / total) : Steps);
                     });
    QObject::connect(&dialog, &QProgressDialog::canceled, &job, &ImportJob::cancel);
    QObject::connect(&job, &ImportJob::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    *outcome = job.outcome();
    *error = job.error();
}

void DatabaseCommands::importRecords()
{
    const QString title = tr("Import Records");
    int type = -1;
    const QString source = prompt().openFileOfType(title, tr(ImportFilter), recordsFolder(), &type);
    if (source.isEmpty())
        return;
    m_recordsFolder = QFileInfo(source).absolutePath();
    QByteArray bytes;
    QList<RecordStore::SerialRecord> records;
    QString unread;
    if (RecordImport::readFile(source, &bytes, &unread))
        RecordImport::parse(bytes, importFormat(type, source, bytes), &records, &unread);
    bytes.clear();
    StoreError error = unread.isEmpty() ? StoreError() : StoreError::invalid(unread);
    RecordStore::ImportOutcome outcome;
    if (!error)
        importOffTheWindow(std::move(records), &outcome, &error);
    if (error.is(StoreError::Kind::Cancelled))
        return;
    if (error.is(StoreError::Kind::ReadOnly)) {
        prompt().critical(error.message(), title);
        return;
    }
    if (error) {
        prompt().critical(tr("Nothing was imported from \"%1\"!  %2").arg(source, error.message()),
                          title);
        return;
    }
    // The lists on the screens no longer show every record.
    showBrowserOverScreens();
    prompt().inform(tr("Records imported: %1.  Duplicates skipped: %2.  New "
                       "programs: %3.")
                            .arg(outcome.added)
                            .arg(outcome.duplicates)
                            .arg(outcome.newPrograms) +
                        (outcome.note.isEmpty() ? QString() : QStringLiteral("  ") + outcome.note),
                    title);
}

void DatabaseCommands::exportRecords()
{
    const QString title = tr("Export Records");
    RecordExport::Options options; // a plain export, unless the box is checked
    const QString target = prompt().saveFileWithOption(
        title, tr(ExportFilter), recordsFolder() + QStringLiteral("/NumiraRecords.csv"),
        tr("&Spreadsheet-safe CSV: a ' before cells that begin with =, +, -, @"),
        &options.spreadsheetSafe);
    if (target.isEmpty())
        return;
    m_recordsFolder = QFileInfo(target).absolutePath();
    // Only the backup replaces a file without a question.
    const QFileInfo existing(target);
    if ((existing.exists() || existing.isSymLink()) &&
        !prompt().askYesNo(tr("\"%1\" already exists.  Do you want to replace it?").arg(target),
                           title))
        return;
    warnIfExportIsPlain(title);
    qint64 count = 0;
    QString error;
    if (RecordExport::exportToFile(session(), target, RecordExport::formatForFile(target), options,
                                   &count, &error)) {
        prompt().inform(tr("Records exported: %n.", nullptr, int(count)), title);
        return;
    }
    prompt().critical(tr("The export to \"%1\" failed!  %2").arg(target, error), title);
}

bool DatabaseCommands::unlock(const QString& address)
{
    // A first try tells what the database wants: a passphrase not known yet, or a password
    // that libpq did not find (~/.pgpass, the service file, the address).
    const StoreError why = session().probe(address);
    if (why.is(StoreError::Kind::NeedsPassphrase))
        return askPassphrase(address);
    if (why.is(StoreError::Kind::NeedsPassword) || why.is(StoreError::Kind::WrongPassword))
        return askPassword(address);
    return true; // anything else is said when the database is opened
}

bool DatabaseCommands::mendIndexes(const StoreError& why, const QString& address)
{
    if (!why.is(StoreError::Kind::DamagedIndex) || session().mendIndexes(address))
        return false;
    prompt().inform(why.message() + tr("  The index was rebuilt."));
    return true;
}

void DatabaseCommands::removeRewriteLeftovers(const QString& address)
{
    const QStringList removed = DatabaseProtection::removeLeftovers(address, &session().keys());
    if (removed.isEmpty())
        return;
    QStringList names;
    for (const QString& file : removed)
        names << QFileInfo(file).fileName();
    prompt().inform(tr("A passphrase change of this database was cut short; what it "
                       "left beside the database was removed: %1")
                        .arg(names.join(QStringLiteral(", "))));
}

bool DatabaseCommands::askPassphrase(const QString& path)
{
    const QString title = tr("Passphrase");
    bool remember = false;
    PassphraseUnlock::Asking asking;
    asking.tries = 3;
    asking.ask = [&] {
        PassphraseQuestion question;
        question.title = title;
        question.text = tr("The database \"%1\" is protected. Enter its passphrase:").arg(path);
        question.offerKeyring = true;
        question.keyringUnavailable = PassphraseKeyring::unavailableReason();
        return askSecret(question, &remember);
    };
    asking.wrong = [&] { prompt().critical(StoreError::wrongPassphrase().message(), title); };
    asking.accepted = [&](const SecretBytes& passphrase) {
        QString error;
        if (remember && !PassphraseKeyring::store(path, passphrase, &error))
            prompt().warn(tr("The keyring did not keep the passphrase: %1").arg(error), title);
    };
    // A check that failed is not a matter of the passphrase: opening says what is wrong with
    // the file.
    const PassphraseUnlock::Result result = PassphraseUnlock::unlock(session(), path, asking);
    return result == PassphraseUnlock::Result::Unlocked ||
           result == PassphraseUnlock::Result::Failed;
}

bool DatabaseCommands::askPassword(const QString& address)
{
    StoreError why;
    const auto tryOpen = [&] {
        why = session().probe(address);
        return !why;
    };
    const auto needsPassword = [&] {
        return why.is(StoreError::Kind::NeedsPassword) || why.is(StoreError::Kind::WrongPassword);
    };
    const QString keyringProblem = PassphraseKeyring::unavailableReason();
    if (keyringProblem.isEmpty()) {
        SecretBytes kept;
        if (PassphraseKeyring::readServerPassword(address, &kept)) {
            DatabaseSession::rememberPassword(address, kept);
            if (tryOpen() || !needsPassword())
                return true;
            // A password changed on the server since: the kept one is of no use any more.
            DatabaseSession::forgetPassword(address);
            PassphraseKeyring::removeServerPassword(address);
        }
    }
    const DatabaseAddress named(address);
    constexpr int Tries = 3;
    for (int attempt = 0; attempt < Tries; ++attempt) {
        PassphraseQuestion question;
        question.title = tr("Password");
        question.text =
            named.user().isEmpty()
                ? tr("The server of \"%1\" asks for a password:").arg(named.displayName())
                : tr("The server of \"%1\" asks for the password of %2:")
                      .arg(named.displayName(), named.user());
        question.fieldLabel = tr("&Password:");
        question.offerKeyring = true;
        question.keyringUnavailable = keyringProblem;
        bool remember = false;
        std::optional<SecretBytes> given = askSecret(question, &remember);
        if (!given)
            return false;
        const SecretBytes& password = *given;
        DatabaseSession::rememberPassword(address, password);
        if (tryOpen() || !needsPassword()) {
            QString error;
            if (remember && !PassphraseKeyring::storeServerPassword(address, password, &error))
                prompt().warn(tr("The keyring did not keep the password: %1").arg(error),
                              question.title);
            return true;
        }
        DatabaseSession::forgetPassword(address);
        prompt().critical(why.message(), question.title);
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
    if (!session().canProtect()) {
        prompt().inform(tr(FilesOnlyMessage), title);
        return false;
    }
    const QString path = session().address();
    if (!DatabaseSession::isProtectedFile(path)) {
        prompt().inform(tr("The database is not protected by a passphrase."), title);
        return false;
    }
    PassphraseQuestion question;
    question.title = title;
    question.text = tr("Enter the database's current passphrase:");
    const std::optional<SecretBytes> given = askSecret(question);
    if (!given)
        return false;
    const SecretBytes& passphrase = *given;
    StoreError error;
    switch (session().checkPassphrase(path, passphrase, &error)) {
    case DatabaseSession::PassphraseCheck::Right:
        return true;
    case DatabaseSession::PassphraseCheck::Wrong:
    case DatabaseSession::PassphraseCheck::Failed:
        break;
    }
    prompt().critical(error.message(), title);
    return false;
}

void DatabaseCommands::rewriteDatabase(const QString& title,
                                       const std::function<bool(QString*)>& rewrite,
                                       const QString& done)
{
    WindowRegistry::closeChildScreens();
    session().close();
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
    const QString title = tr("Protect with Passphrase");
    const QString path = session().address();
    if (!session().canProtect()) {
        prompt().inform(tr(FilesOnlyMessage), title);
        return;
    }
    if (!StartupRules::isOrdinaryFile(path)) {
        prompt().critical(session().noConnectionError().message(), title);
        return;
    }
    if (DatabaseSession::isProtectedFile(path)) {
        prompt().inform(tr("The database is protected by a passphrase already."), title);
        return;
    }
    PassphraseQuestion question;
    question.title = title;
    question.text =
        tr("Numira will encrypt the database with this passphrase. Without it, nobody (not even "
           "you) can read the records again. Enter it twice:");
    question.confirm = true;
    const std::optional<SecretBytes> given = askSecret(question);
    if (!given)
        return;
    const SecretBytes& passphrase = *given;
    KeptKeys& keys = session().keys();
    rewriteDatabase(
        title,
        [&](QString* error) { return DatabaseProtection::protect(keys, path, passphrase, error); },
        tr("The database is protected by the passphrase.  Older copies of the file "
           "and its backups are not."));
}

void DatabaseCommands::changePassphrase()
{
    const QString title = tr("Change Passphrase");
    const QString path = session().address();
    if (!confirmCurrentPassphrase(title))
        return;
    PassphraseQuestion question;
    question.title = title;
    question.text = tr("Enter the new passphrase twice:");
    question.confirm = true;
    const std::optional<SecretBytes> given = askSecret(question);
    if (!given)
        return;
    const SecretBytes& passphrase = *given;
    KeptKeys& keys = session().keys();
    rewriteDatabase(
        title,
        [&](QString* error) {
            if (!DatabaseProtection::changePassphrase(keys, path, passphrase, error))
                return false;
            // A passphrase the keyring kept for the file is the new one from now on.
            SecretBytes kept;
            if (PassphraseKeyring::unavailableReason().isEmpty() &&
                PassphraseKeyring::read(path, &kept))
                PassphraseKeyring::store(path, passphrase);
            return true;
        },
        tr("The passphrase is changed."));
}

void DatabaseCommands::removePassphrase()
{
    const QString title = tr("Remove Passphrase");
    const QString path = session().address();
    if (!confirmCurrentPassphrase(title))
        return;
    KeptKeys& keys = session().keys();
    rewriteDatabase(
        title,
        [&](QString* error) {
            if (!DatabaseProtection::unprotect(keys, path, error))
                return false;
            if (PassphraseKeyring::unavailableReason().isEmpty())
                PassphraseKeyring::remove(path);
            return true;
        },
        tr("The passphrase is removed: the database file is not encrypted any "
           "more."));
}

void DatabaseCommands::warnIfExportIsPlain(const QString& title)
{
    if (DatabaseSession::isProtectedFile(session().address()))
        prompt().warn(tr("The database is protected by a passphrase, but the "
                         "exported file is not: anyone who gets it can read every "
                         "record."),
                      title);
}
