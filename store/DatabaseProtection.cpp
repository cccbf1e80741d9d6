#include "store/DatabaseProtection.h"

#include "store/CipherKey.h"
#include "store/DatabaseSession.h"
#include "store/FileBackend.h"
#include "store/KeptKeys.h"
#include "store/DurableFile.h"
#include "store/SecretBytes.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace DatabaseProtection {

namespace {

const QString Connection = QStringLiteral("numira-protection");

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// A name beside the database that nothing uses yet; SQLite creates the file on ATTACH.
QString freshNameBeside(const QString& path)
{
    for (;;) {
        const QString name =
            path + QStringLiteral(".rewrite-%1")
                       .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0'));
        if (!QFileInfo::exists(name) && !QFileInfo::exists(name + QStringLiteral("-journal")))
            return name;
    }
}

// key empty: the new file is plain.
bool runExport(const QSqlDatabase& db, const QString& target, const CipherKey& key, QString* error)
{
    QSqlQuery attach(db);
    attach.prepare(QStringLiteral("ATTACH DATABASE ? AS rewritten KEY ?"));
    attach.addBindValue(target);
    // An empty key attaches a plain database.
    QString keyText = key.keyText().toText();
    attach.addBindValue(keyText.isNull() ? QStringLiteral("") : keyText);
    const bool attached = attach.exec();
    SecretBytes::wipe(keyText);
    attach.finish();
    if (!attached)
        return fail(error, attach.lastError().text());
    QSqlQuery exportAll(db);
    const bool exported =
        exportAll.exec(QStringLiteral("SELECT sqlcipher_export('rewritten')")) && exportAll.next();
    const QString why = exportAll.lastError().text();
    exportAll.finish();
    QSqlQuery(db).exec(QStringLiteral("DETACH DATABASE rewritten"));
    return exported || fail(error, why);
}

// Writes the database at path, as the connection opened on it reads it, into a new file with
// the given key (none: a plain file) and puts the new file in its place.
bool rewrite(const KeptKeys& keys, const QString& path, const CipherKey& key, QString* error)
{
    const QString database = DurableFile::resolved(path);
    QString why;
    DatabaseBackend::Opening opening;
    opening.keys = &keys;
    if (const StoreError failure = FileBackend::instance().open(database, Connection, opening))
        return fail(error, failure.message());
    const QString target = freshNameBeside(database);
    bool exported = false;
    {
        const QSqlDatabase db = QSqlDatabase::database(Connection, false);
        exported = runExport(db, target, key, &why);
    }
    DatabaseSession::removeConnection(Connection);
    const auto discard = [&target](QString* error, const QString& text) {
        QFile::remove(target);
        QFile::remove(target + QStringLiteral("-journal"));
        return fail(error, text);
    };
    if (!exported)
        return discard(error, QStringLiteral("The database cannot be rewritten: %1").arg(why));
    if (!QFile::setPermissions(target, QFileInfo(database).permissions()))
        return discard(error, QStringLiteral("The new file cannot take the database's "
                                             "permissions."));
    if (!DurableFile::syncFile(target, &why))
        return discard(error,
                       QStringLiteral("The new file cannot be flushed to disk: %1").arg(why));
    if (!DurableFile::renameOver(target, database, &why))
        return discard(error,
                       QStringLiteral("The new file cannot replace the database: %1").arg(why));
    if (!DurableFile::syncFolder(QFileInfo(database).absolutePath(), &why))
        return fail(error, QStringLiteral("The database is rewritten, but its folder cannot be "
                                          "flushed to disk: %1")
                               .arg(why));
    return true;
}

// A new file gets a salt of its own; the key derived with it writes the file and is then kept,
// so the new file opens without a second derivation.
bool rewriteWith(KeptKeys& keys, const QString& path, const SecretBytes& passphrase,
                 QString* error)
{
    CipherKey key = CipherKey::derive(passphrase, CipherKey::freshSalt());
    if (key.isEmpty())
        return fail(error, QStringLiteral("No key can be made for the passphrase."));
    if (!rewrite(keys, path, key, error))
        return false;
    keys.rememberKey(path, std::move(key));
    return true;
}

} // namespace

bool protect(KeptKeys& keys, const QString& path, const SecretBytes& passphrase, QString* error)
{
    if (passphrase.isEmpty())
        return fail(error, QStringLiteral("The passphrase is empty."));
    if (FileBackend::isProtectedFile(path))
        return fail(error, QStringLiteral("The database is protected already."));
    return rewriteWith(keys, path, passphrase, error);
}

bool changePassphrase(KeptKeys& keys, const QString& path, const SecretBytes& passphrase,
                      QString* error)
{
    if (passphrase.isEmpty())
        return fail(error, QStringLiteral("The passphrase is empty."));
    if (!FileBackend::isProtectedFile(path))
        return fail(error, QStringLiteral("The database is not protected by a passphrase."));
    return rewriteWith(keys, path, passphrase, error);
}

bool unprotect(KeptKeys& keys, const QString& path, QString* error)
{
    if (!FileBackend::isProtectedFile(path))
        return fail(error, QStringLiteral("The database is not protected by a passphrase."));
    if (!rewrite(keys, path, CipherKey(), error))
        return false;
    keys.forget(path);
    return true;
}

QString strengthHint(const QString& passphrase)
{
    bool lower = false;
    bool upper = false;
    bool digit = false;
    bool other = false;
    for (const QChar c : passphrase) {
        lower = lower || c.isLower();
        upper = upper || c.isUpper();
        digit = digit || c.isDigit();
        other = other || !(c.isLetterOrNumber());
    }
    const int kinds = int(lower) + int(upper) + int(digit) + int(other);
    const qsizetype length = passphrase.size();
    if (length >= 16 || (length >= 12 && kinds >= 3))
        return QStringLiteral("strong");
    if (length >= 10 || (length >= 8 && kinds >= 2))
        return QStringLiteral("fair");
    return QStringLiteral("weak");
}

} // namespace DatabaseProtection
