#include "store/Database.h"

#include "store/SecretBytes.h"
#include "store/SqlCatalogue.h"
#include "store/SqliteDriver.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <map>

namespace {

const QString SharedConnectionName = QStringLiteral("numira-shared");
const QString CheckConnectionName = QStringLiteral("numira-schema-check");

bool g_connectionOpen = false;
// Why the shared connection last failed to open, when the user can do something about it.
QString g_openFailure;

// SQLite's primary result codes.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADatabase = 26;

// The smallest page SQLite writes; a protected file is a whole number of pages.
constexpr qint64 SmallestPage = 512;

std::map<QString, SecretBytes>& passphrases()
{
    static std::map<QString, SecretBytes> kept;
    return kept;
}

// A file reached through a symbolic link is the same file.
QString keyOf(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

int primaryCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

bool hasSqliteHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray header("SQLite format 3\0", 16);
    return file.read(header.size()) == header;
}

} // namespace

namespace Database {

QString& databasePath()
{
    static QString path;
    return path;
}

QString& connectionString()
{
    static QString connString;
    return connString;
}

QString connectionStringFor(const QString& path)
{
    return ProviderPrefix + path;
}

QString pathFromConnectionString(const QString& connString)
{
    if (connString.startsWith(ProviderPrefix))
        return connString.mid(ProviderPrefix.size());
    const QString marker = QStringLiteral("Data Source=");
    const int at = connString.indexOf(marker);
    if (at < 0)
        return QString();
    QString path = connString.mid(at + marker.size());
    if (path.endsWith(QLatin1Char(';')))
        path.chop(1);
    return path;
}

bool isInUse(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == SqliteBusy || code == SqliteLocked;
}

QString inUseMessage()
{
    // The same words as a record operation that finds the file in use.
    return QStringLiteral("The database file is in use by another program.");
}

QString diskFullMessage()
{
    return QStringLiteral("The disk is full.");
}

bool openDatabaseFile(const QString& path, const QString& connectionName, QString* error,
                      bool* inUse)
{
    if (inUse)
        *inUse = false;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        if (error)
            *error = QStringLiteral("The file \"%1\" does not exist.").arg(path);
        return false;
    }
    const bool plain = hasSqliteHeader(path);
    if (!plain && !isProtectedFile(path)) {
        // SQLite takes an empty or one-byte file for a new, empty database; Numira wants a
        // database that exists.
        if (error)
            *error = QStringLiteral("\"%1\" is not a Numira database.").arg(path);
        return false;
    }
    const auto kept = plain ? passphrases().end() : passphrases().find(keyOf(path));
    if (!plain && kept == passphrases().end()) {
        if (error)
            *error = needsPassphraseMessage(path);
        return false;
    }

    bool opened = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), connectionName);
        // mode=rw opens an existing file only: SQLite would otherwise create a missing one.
        db.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            QStringLiteral("?mode=rw"));
        db.setConnectOptions(QStringLiteral("OPEN_URI;BUSY_TIMEOUT=3000"));
        bool connected = false;
        if (plain) {
            connected = db.open();
        } else {
            QString passphrase = kept->second.toText();
            connected = db.open(QString(), passphrase);
            SecretBytes::wipe(passphrase);
        }
        if (connected) {
            // SQLite opens any file lazily; reading the catalogue proves it is a database.
            QSqlQuery probe(db);
            if (probe.exec(SqlCatalogue::CountSchemaObjects) && probe.next()) {
                opened = true;
            } else if (isInUse(probe.lastError())) {
                if (inUse)
                    *inUse = true;
                if (error)
                    *error = inUseMessage();
            } else if (!plain && primaryCode(probe.lastError()) == SqliteNotADatabase) {
                if (error)
                    *error = wrongPassphraseMessage();
            } else if (error) {
                *error = QStringLiteral("\"%1\" is not a Numira database (%2).")
                             .arg(path, probe.lastError().text());
            }
        } else if (error) {
            *error = primaryCode(db.lastError()) == SqliteFull
                         ? diskFullMessage()
                         : QStringLiteral("\"%1\" cannot be opened (%2).")
                               .arg(path, db.lastError().text());
        }
        if (!opened)
            db.close();
    }
    if (!opened)
        QSqlDatabase::removeDatabase(connectionName);
    return opened;
}

void removeConnection(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

bool openConnection(const QString& connString, QString* error)
{
    closeConnection();
    QString why;
    bool inUse = false;
    g_connectionOpen =
        openDatabaseFile(pathFromConnectionString(connString), SharedConnectionName, &why, &inUse);
    g_openFailure = inUse || why == diskFullMessage() ? why : QString();
    if (error)
        *error = why;
    return g_connectionOpen;
}

void closeConnection()
{
    removeConnection(SharedConnectionName);
    g_connectionOpen = false;
}

bool connectionExists()
{
    return g_connectionOpen && QSqlDatabase::contains(SharedConnectionName);
}

QSqlDatabase connection()
{
    if (!connectionExists())
        return QSqlDatabase();
    return QSqlDatabase::database(SharedConnectionName, false);
}

bool checkSchema(const QString& path, QString* error)
{
    if (!openDatabaseFile(path, CheckConnectionName, error))
        return false;
    bool hasPrograms = false;
    bool hasSerials = false;
    {
        QSqlDatabase db = QSqlDatabase::database(CheckConnectionName, false);
        QSqlQuery tables(db);
        if (tables.exec(SqlCatalogue::TableNames)) {
            while (tables.next()) {
                const QString name = tables.value(0).toString();
                hasPrograms = hasPrograms || name == QLatin1String("programs");
                hasSerials = hasSerials || name == QLatin1String("serials");
            }
        }
    }
    removeConnection(CheckConnectionName);
    if (!(hasPrograms && hasSerials) && error)
        *error = QStringLiteral("\"%1\" lacks the tables \"programs\" and \"serials\".").arg(path);
    return hasPrograms && hasSerials;
}

QString noConnectionMessage()
{
    if (!g_openFailure.isEmpty())
        return g_openFailure;
    return QStringLiteral("No database is open!  Please choose your database with "
                          "\"DB\" > \"Open Database\" first.");
}

void resetStore()
{
    closeConnection();
    passphrases().clear();
    g_openFailure.clear();
    databasePath().clear();
    connectionString().clear();
}

bool isProtectedFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() >= SmallestPage && info.size() % SmallestPage == 0 &&
           !hasSqliteHeader(path);
}

bool hasPassphrase(const QString& path)
{
    return passphrases().count(keyOf(path)) > 0;
}

void rememberPassphrase(const QString& path, const SecretBytes& passphrase)
{
    passphrases()[keyOf(path)] = passphrase.copy();
}

void forgetPassphrase(const QString& path)
{
    passphrases().erase(keyOf(path));
}

PassphraseCheck checkPassphrase(const QString& path, const SecretBytes& passphrase, QString* error)
{
    const QString connectionName = QStringLiteral("numira-passphrase-check");
    const QString key = keyOf(path);
    // The check runs through the one open path, with this passphrase in place of a kept one.
    auto& kept = passphrases();
    const auto before = kept.find(key);
    SecretBytes previous = before == kept.end() ? SecretBytes() : std::move(before->second);
    const bool hadPrevious = before != kept.end();
    kept[key] = passphrase.copy();
    QString why;
    const bool opened = openDatabaseFile(path, connectionName, &why);
    removeConnection(connectionName);
    if (hadPrevious)
        kept[key] = std::move(previous);
    else
        kept.erase(key);
    if (opened)
        return PassphraseCheck::Right;
    if (error)
        *error = why;
    return why == wrongPassphraseMessage() ? PassphraseCheck::Wrong : PassphraseCheck::Failed;
}

QString wrongPassphraseMessage()
{
    return QStringLiteral("The passphrase is not right.");
}

QString needsPassphraseMessage(const QString& path)
{
    return QStringLiteral("\"%1\" is protected by a passphrase.").arg(path);
}

} // namespace Database
