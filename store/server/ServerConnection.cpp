#include "store/server/ServerConnection.h"

#include "store/DatabaseAddress.h"
#include "store/DatabaseSession.h"
#include "store/keys/SecretBytes.h"
#include "store/server/ServerSchema.h"

#include <QCoreApplication>
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

QString displayNameOf(const QString& address)
{
    return DatabaseAddress(address).displayName();
}

StoreError connectFailure(const QString& address, const QSqlError& sqlError, bool passwordGiven)
{
    const QString text =
        sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
    if (text.contains(QLatin1String("no password supplied")))
        return ServerConnection::needsPassword(address);
    if (text.contains(QLatin1String("password authentication failed")))
        return passwordGiven
                   ? StoreError(StoreError::Kind::WrongPassword,
                                QStringLiteral("The database server refused the password."))
                   : ServerConnection::needsPassword(address);
    if (sqlError.nativeErrorCode() == QLatin1String("42501"))
        return StoreError::readOnly();
    // libpq's reasons run over several lines, indented with tabs: one line is shown.
    const QString reason = text.simplified();
    return {StoreError::Kind::Unreachable,
            QStringLiteral("The database server of \"%1\" cannot be reached (%2).")
                .arg(displayNameOf(address), reason)};
}

} // namespace

namespace ServerConnection {

StoreError needsPassword(const QString& address)
{
    return {StoreError::Kind::NeedsPassword,
            QStringLiteral("The database server of \"%1\" asks for a password.")
                .arg(displayNameOf(address))};
}

StoreError open(const QString& address, const QString& connectionName)
{
    const DatabaseAddress parsed(address);
    if (parsed.connectionString().isEmpty())
        return StoreError::invalid(
            QStringLiteral("\"%1\" is not an address of a database server.").arg(address));
    if (!QSqlDatabase::isDriverAvailable(DriverName))
        return {StoreError::Kind::Unreachable,
                QStringLiteral("Numira cannot reach database servers on this computer: "
                               "Qt's PostgreSQL driver is not installed.")};
    bool opened = false;
    StoreError failure;
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
            failure = connectFailure(address, db.lastError(),
                                     kept != passwords().end() || parsed.hasPassword());
        } else {
            // Compiling a query costs more than Numira's short statements ever take.
            QSqlQuery(db).exec(QStringLiteral("SET jit = off"));
            switch (ServerSchema::ensure(db, &failure)) {
            case ServerSchema::Check::Ready:
            case ServerSchema::Check::Created:
            case ServerSchema::Check::Updated:
                opened = true;
                break;
            case ServerSchema::Check::Foreign:
                failure = {
                    StoreError::Kind::Foreign,
                    QStringLiteral("\"%1\" holds tables of another program and not Numira's.")
                        .arg(displayNameOf(address))};
                break;
            case ServerSchema::Check::TooNew:
                failure = {StoreError::Kind::Foreign,
                           QStringLiteral("\"%1\" was made by a later version of Numira.")
                               .arg(displayNameOf(address))};
                break;
            case ServerSchema::Check::Outdated:
                failure = {StoreError::Kind::ReadOnly,
                           QCoreApplication::translate(
                               "ServerConnection",
                               "\"%1\" holds the tables of an earlier version of Numira, which "
                               "you may not change. Its owner, or another user who may change "
                               "its tables, must open it once with this version of Numira.")
                               .arg(displayNameOf(address))};
                break;
            case ServerSchema::Check::Failed:
                break;
            }
        }
        if (!opened)
            db.close();
    }
    if (!opened)
        QSqlDatabase::removeDatabase(connectionName);
    return failure;
}

StoreError check(const QString& address)
{
    const QString connectionName = QStringLiteral("numira-server-check");
    StoreError failure = open(address, connectionName);
    if (!failure)
        DatabaseSession::removeConnection(connectionName);
    return failure;
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
