#include "store/keys/KeptKeys.h"

#include "store/keys/SecretBytes.h"

#include <QFileInfo>

#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace {

// A file reached through a symbolic link is the same file.
QString keyOf(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// The passphrase of the last check is known by a keyed hash only (the hash key is random and
// lives as long as the process), so no copy of it stays behind.
QByteArray fingerprintOf(const SecretBytes& passphrase)
{
    static const QByteArray hashKey = CipherKey::freshSalt() + CipherKey::freshSalt();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (hashKey.size() != 2 * CipherKey::SaltSize ||
        !HMAC(EVP_sha256(), hashKey.constData(), int(hashKey.size()),
              reinterpret_cast<const unsigned char*>(passphrase.isEmpty() ? "" : passphrase.data()),
              size_t(passphrase.size()), digest, &size))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(digest), int(size));
}

} // namespace

KeptKeys::~KeptKeys()
{
    clear();
}

CipherKey KeptKeys::keyFor(const QString& path) const
{
    const QByteArray salt = CipherKey::saltOfFile(path);
    const QMutexLocker locked(&m_lock);
    const auto kept = m_keys.find(keyOf(path));
    if (kept == m_keys.end() || kept->second.salt() != salt)
        return CipherKey();
    return kept->second.copy();
}

bool KeptKeys::isEmpty() const
{
    const QMutexLocker locked(&m_lock);
    return m_keys.empty() && m_checked.key.isEmpty();
}

void KeptKeys::remember(const QString& path, const SecretBytes& passphrase)
{
    const QByteArray salt = CipherKey::saltOfFile(path);
    {
        const QMutexLocker locked(&m_lock);
        if (!salt.isEmpty() && m_checked.file == keyOf(path) && m_checked.key.salt() == salt &&
            !m_checked.fingerprint.isEmpty() &&
            m_checked.fingerprint == fingerprintOf(passphrase)) {
            m_keys[keyOf(path)] = std::move(m_checked.key);
            forgetCheckedLocked();
            return;
        }
    }
    rememberKey(path, CipherKey::derive(passphrase, salt));
}

void KeptKeys::rememberKey(const QString& path, CipherKey&& key)
{
    const QMutexLocker locked(&m_lock);
    if (key.isEmpty())
        m_keys.erase(keyOf(path));
    else
        m_keys[keyOf(path)] = std::move(key);
}

void KeptKeys::keepChecked(const QString& path, const SecretBytes& passphrase, CipherKey&& key)
{
    const QMutexLocker locked(&m_lock);
    forgetCheckedLocked();
    m_checked = CheckedKey{keyOf(path), fingerprintOf(passphrase), std::move(key)};
}

void KeptKeys::forgetChecked()
{
    const QMutexLocker locked(&m_lock);
    forgetCheckedLocked();
}

void KeptKeys::forgetCheckedLocked()
{
    SecretBytes::wipe(m_checked.fingerprint);
    m_checked = CheckedKey();
}

void KeptKeys::forget(const QString& path)
{
    const QMutexLocker locked(&m_lock);
    m_keys.erase(keyOf(path));
    if (m_checked.file == keyOf(path))
        forgetCheckedLocked();
}

void KeptKeys::share(const QString& from, const QString& to)
{
    const QMutexLocker locked(&m_lock);
    const auto kept = m_keys.find(keyOf(from));
    if (kept != m_keys.end())
        m_keys[keyOf(to)] = kept->second.copy();
}

void KeptKeys::clear()
{
    const QMutexLocker locked(&m_lock);
    m_keys.clear();
    forgetCheckedLocked();
}
