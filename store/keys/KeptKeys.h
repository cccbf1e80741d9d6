#pragma once

#include "store/keys/CipherKey.h"

#include <QMutex>
#include <QString>

#include <map>

class SecretBytes;

// The raw keys of the protected files whose passphrase was found right, by the file's path, so
// that every connection to such a file (the shared one, a worker's, the schema check, backup
// and compaction) opens it without deriving the key again. The passphrase itself is not kept.
// A kept key serves only while the file keeps the salt it was derived with: a file rewritten
// meanwhile with a new one needs its passphrase again.
//
// Worker threads open connections while the window's thread may change the keys: every member
// is safe to call from any thread.
class KeptKeys final
{
    Q_DISABLE_COPY_MOVE(KeptKeys)
public:
    KeptKeys() = default;
    ~KeptKeys();

    // A copy of the kept key of the file when it still fits the file, else an empty key.
    CipherKey keyFor(const QString& path) const;
    bool has(const QString& path) const { return !keyFor(path).isEmpty(); }
    bool isEmpty() const;

    // Keeps the key of the passphrase for the file. Right after a check found the same
    // passphrase right for the same file (keepChecked), its key is taken; otherwise the key is
    // derived again.
    void remember(const QString& path, const SecretBytes& passphrase);
    // Keeps a key made for the file (a file just written with that key and salt).
    void rememberKey(const QString& path, CipherKey&& key);
    // Keeps the key a passphrase check derived, until remember() takes it or another check
    // replaces it.
    void keepChecked(const QString& path, const SecretBytes& passphrase, CipherKey&& key);
    void forgetChecked();
    void forget(const QString& path);
    // A copy of a protected file (a backup, which keeps the salt) opens with the original's key.
    void share(const QString& from, const QString& to);
    // Wipes every key.
    void clear();

private:
    struct CheckedKey
    {
        QString file;
        QByteArray fingerprint;
        CipherKey key;
    };
    void forgetCheckedLocked();

    mutable QMutex m_lock;
    std::map<QString, CipherKey> m_keys;
    CheckedKey m_checked;
};
