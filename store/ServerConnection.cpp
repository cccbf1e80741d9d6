#include "store/ServerConnection.h"

#include "store/Database.h"
#include "store/DatabaseAddress.h"
#include "store/SecretBytes.h"
#include "store/ServerSchema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <map>

namespace {

const QString DriverName = QStringLiteral("QPSQL");

std::map<QString, SecretBytes>& passwords()
{
    static std::map<QString, SecretBytes> kept;
    return kept;
}

QString connectFailure(const QString& address, const QSqlError& sqlError, bool passwordGiven)
{
    const QString text =
        sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
    if (text.contains(QLatin1String("no password supplied")))
        return Database::needsServerPasswordMessage(address);
    if (text.contains(QLatin1String("password authentication failed")))
        return passwordGiven ? Database::wrongServerPasswordMessage()
                             : Database::needsServerPasswordMessage(address);
    if (sqlError.nativeErrorCode() == QLatin1String("42501"))
        return Database::readOnlyMessage();
    return QStringLiteral("The database server of \"%1\" cannot be reached (%2).")
        .arg(Database::displayNameOf(address), text.trimmed());
}

} // namespace

namespace ServerConnection {

bool open(const QString& address, const QString& connectionName, QString* error)
{
    const DatabaseAddress parsed(address);
    if (parsed.connectionString().isEmpty()) {
        if (error)
            *error = QStringLiteral("\"%1\" is not an address of a database server.").arg(address);
        return false;
    }
    if (!QSqlDatabase::isDriverAvailable(DriverName)) {
        if (error)
            *error = QStringLiteral("Numira cannot reach database servers on this computer: "
                                    "Qt's PostgreSQL driver is not installed.");
        return false;
    }
    bool opened = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(DriverName, connectionName);
        db.setConnectOptions(parsed.connectionString());
        const auto kept = passwords().find(address);
        bool connected = false;
        if (kept != passwords().end()) {
            QString password = kept->second.toText();
            connected = db.open(QString(), password);
            db.setPassword(QString());
            SecretBytes::wipe(password);
        } else {
            connected = db.open();
        }
        if (!connected) {
            if (error)
                *error = connectFailure(address, db.lastError(),
                                        kept != passwords().end() || parsed.hasPassword());
        } else {
            // Compiling a query costs more than Numira's short statements ever take.
            QSqlQuery(db).exec(QStringLiteral("SET jit = off"));
            QString why;
            switch (ServerSchema::ensure(db, &why)) {
            case ServerSchema::Check::Ready:
            case ServerSchema::Check::Created:
                opened = true;
                break;
            case ServerSchema::Check::Foreign:
                why = Database::foreignServerMessage(address);
                break;
            case ServerSchema::Check::TooNew:
                why = QStringLiteral("\"%1\" was made by a later version of Numira.")
                          .arg(Database::displayNameOf(address));
                break;
            case ServerSchema::Check::Failed:
                break;
            }
            if (!opened && error)
                *error = why;
        }
        if (!opened)
            db.close();
    }
    if (!opened)
        QSqlDatabase::removeDatabase(connectionName);
    return opened;
}

bool check(const QString& address, QString* error)
{
    const QString connectionName = QStringLiteral("numira-server-check");
    if (!open(address, connectionName, error))
        return false;
    Database::removeConnection(connectionName);
    return true;
}

void rememberPassword(const QString& address, const SecretBytes& password)
{
    passwords()[address] = password.copy();
}

void forgetPassword(const QString& address)
{
    passwords().erase(address);
}

bool hasPassword(const QString& address)
{
    return passwords().count(address) > 0;
}

void forgetAllPasswords()
{
    passwords().clear();
}

} // namespace ServerConnection
