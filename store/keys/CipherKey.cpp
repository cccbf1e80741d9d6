#include "store/keys/CipherKey.h"

#include <QFile>

#include <atomic>

#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {

std::atomic<int> g_derivations{0};

constexpr char HexDigits[] = "0123456789abcdef";
// x' + key and salt in hex + '
constexpr int KeyTextSize = 2 + 2 * (CipherKey::KeySize + CipherKey::SaltSize) + 1;

void appendHex(char* out, const unsigned char* bytes, int size)
{
    for (int i = 0; i < size; ++i) {
        out[2 * i] = HexDigits[bytes[i] >> 4];
        out[2 * i + 1] = HexDigits[bytes[i] & 0x0f];
    }
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

CipherKey CipherKey::derive(const SecretBytes& passphrase, const QByteArray& salt)
{
    if (salt.size() != SaltSize)
        return CipherKey();
    unsigned char key[KeySize];
    ++g_derivations;
    // SQLCipher derives from the bytes as given; an empty passphrase is still derived, so that
    // it costs a guesser as much as any other.
    const int derived =
        PKCS5_PBKDF2_HMAC(passphrase.isEmpty() ? "" : passphrase.data(), int(passphrase.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()), SaltSize,
                          Iterations, EVP_sha512(), KeySize, key);
    if (derived != 1) {
        OPENSSL_cleanse(key, sizeof key);
        return CipherKey();
    }
    QByteArray text(KeyTextSize, Qt::Uninitialized);
    char* out = text.data();
    out[0] = 'x';
    out[1] = '\'';
    appendHex(out + 2, key, KeySize);
    appendHex(out + 2 + 2 * KeySize, reinterpret_cast<const unsigned char*>(salt.constData()),
              SaltSize);
    out[KeyTextSize - 1] = '\'';
    OPENSSL_cleanse(key, sizeof key);
    return CipherKey(SecretBytes(std::move(text)));
}

int CipherKey::derivations()
{
    return g_derivations.load();
}

QByteArray CipherKey::freshSalt()
{
    QByteArray salt(SaltSize, Qt::Uninitialized);
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), SaltSize) != 1)
        return QByteArray();
    return salt;
}

QByteArray CipherKey::saltOfFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray salt = file.read(SaltSize);
    return salt.size() == SaltSize ? salt : QByteArray();
}

QByteArray CipherKey::salt() const
{
    if (m_text.size() != KeyTextSize)
        return QByteArray();
    QByteArray salt(SaltSize, Qt::Uninitialized);
    const char* hex = m_text.data() + 2 + 2 * KeySize;
    for (int i = 0; i < SaltSize; ++i)
        salt[i] = char(hexValue(hex[2 * i]) << 4 | hexValue(hex[2 * i + 1]));
    return salt;
}

CipherKey CipherKey::copy() const
{
    return CipherKey(m_text.copy());
}
