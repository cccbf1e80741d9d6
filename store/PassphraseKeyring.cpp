#include "store/PassphraseKeyring.h"

#include "store/SecretBytes.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QFileInfo>

#include <qt6keychain/keychain.h>

namespace PassphraseKeyring {

namespace {

const QString Service = QStringLiteral("Numira database passphrase");
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

} // namespace

QString unavailableReason()
{
    // Without an address there is no session to reach; asking would start one.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return QStringLiteral("No keyring: there is no desktop session bus.");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return QStringLiteral("No keyring: there is no desktop session bus.");
    QDBusConnectionInterface* names = bus.interface();
    if (names && (names->isServiceRegistered(SecretService).value() ||
                  names->activatableServiceNames().value().contains(SecretService)))
        return QString();
    return QStringLiteral("No keyring: no Secret Service (GNOME Keyring, KWallet) is running.");
}

bool read(const QString& dbPath, SecretBytes* passphrase, QString* error)
{
    QKeychain::ReadPasswordJob job(Service);
    job.setKey(entryOf(dbPath));
    if (!finish(job, error))
        return false;
    QByteArray bytes = job.binaryData();
    *passphrase = SecretBytes(std::move(bytes));
    SecretBytes::wipe(bytes);
    return !passphrase->isEmpty();
}

bool store(const QString& dbPath, const SecretBytes& passphrase, QString* error)
{
    QKeychain::WritePasswordJob job(Service);
    job.setKey(entryOf(dbPath));
    // The job shares these bytes until it ends: they are wiped only then.
    QByteArray bytes(passphrase.data(), passphrase.size());
    job.setBinaryData(bytes);
    const bool stored = finish(job, error);
    SecretBytes::wipe(bytes);
    return stored;
}

bool remove(const QString& dbPath, QString* error)
{
    QKeychain::DeletePasswordJob job(Service);
    job.setKey(entryOf(dbPath));
    QString why;
    if (finish(job, &why) || why.isEmpty())
        return true;
    if (error)
        *error = why;
    return false;
}

} // namespace PassphraseKeyring
