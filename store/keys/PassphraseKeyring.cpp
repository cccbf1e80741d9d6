#include "store/keys/PassphraseKeyring.h"

#include "store/keys/SecretBytes.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QFileInfo>

#include <qt6keychain/keychain.h>

namespace PassphraseKeyring {

namespace {

const QString Service = QStringLiteral("Numira database passphrase");
const QString ServerService = QStringLiteral("Numira database server password");
const QString SecretService = QStringLiteral("org.freedesktop.secrets");

QString entryOf(const QString& dbPath)
{
    const QFileInfo info(dbPath);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// Runs a job to its end. Never the plain-text fallback: a passphrase is kept by a keyring or
// not at all.
bool finish(QKeychain::Job& job, QString* error)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
    if (job.error() == QKeychain::NoError)
        return true;
    if (error)
        *error = job.error() == QKeychain::EntryNotFound ? QString() : job.errorString();
    return false;
}

bool readEntry(const QString& service, const QString& key, SecretBytes* secret, QString* error)
{
    QKeychain::ReadPasswordJob job(service);
    job.setKey(key);
    if (!finish(job, error))
        return false;
    QByteArray bytes = job.binaryData();
    *secret = SecretBytes(std::move(bytes));
    SecretBytes::wipe(bytes);
    return !secret->isEmpty();
}

bool storeEntry(const QString& service, const QString& key, const SecretBytes& secret,
                QString* error)
{
    QKeychain::WritePasswordJob job(service);
    job.setKey(key);
    // The job shares these bytes until it ends: they are wiped only then.
    QByteArray bytes(secret.data(), secret.size());
    job.setBinaryData(bytes);
    const bool stored = finish(job, error);
    SecretBytes::wipe(bytes);
    return stored;
}

bool removeEntry(const QString& service, const QString& key, QString* error)
{
    QKeychain::DeletePasswordJob job(service);
    job.setKey(key);
    QString why;
    if (finish(job, &why) || why.isEmpty())
        return true;
    if (error)
        *error = why;
    return false;
}

} // namespace

QString unavailableReason()
{
    // Without an address there is no session to reach; asking would start one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return QCoreApplication::translate("PassphraseKeyring",
                                           "No keyring: there is no desktop session bus.");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QCoreApplication::translate("PassphraseKeyring",
                                           "No keyring: there is no desktop session bus.");
    QDBusConnectionInterface* names = bus.interface();
    if (names && (names->isServiceRegistered(SecretService).value() ||
                  names->activatableServiceNames().value().contains(SecretService)))
        return QString();
    return QCoreApplication::translate(
        "PassphraseKeyring", "No keyring: no Secret Service (GNOME Keyring, KWallet) is running.");
}

bool read(const QString& dbPath, SecretBytes* passphrase, QString* error)
{
    return readEntry(Service, entryOf(dbPath), passphrase, error);
}

bool store(const QString& dbPath, const SecretBytes& passphrase, QString* error)
{
    return storeEntry(Service, entryOf(dbPath), passphrase, error);
}

bool remove(const QString& dbPath, QString* error)
{
    return removeEntry(Service, entryOf(dbPath), error);
}

bool readServerPassword(const QString& address, SecretBytes* password, QString* error)
{
    return readEntry(ServerService, address, password, error);
}

bool storeServerPassword(const QString& address, const SecretBytes& password, QString* error)
{
    return storeEntry(ServerService, address, password, error);
}

bool removeServerPassword(const QString& address, QString* error)
{
    return removeEntry(ServerService, address, error);
}

} // namespace PassphraseKeyring
