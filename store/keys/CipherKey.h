#pragma once

#include "store/keys/SecretBytes.h"

#include <QByteArray>
#include <QString>

// The raw key of a protected database together with the salt it was derived with, in the form
// SQLCipher takes instead of a passphrase: x'<64 hex digits of key><32 hex digits of salt>'.
// SQLCipher uses such a key as it is, so a connection opened with it skips the costly key
// derivation; for a new file it also takes the salt from it and writes it as the file's first
// 16 bytes.
//
// derive() does what SQLCipher 4 does with a passphrase under its default settings (which are
// the only ones Numira writes): PBKDF2-HMAC-SHA512, 256,000 iterations, a 32-byte key. The key
// opens the file as surely as the passphrase does; it lives in wiped memory and is never
// written anywhere.
class CipherKey final
{
public:
    static constexpr int KeySize = 32;
    static constexpr int SaltSize = 16;
    static constexpr int Iterations = 256000;

    CipherKey() = default;
    CipherKey(CipherKey&&) noexcept = default;
    CipherKey& operator=(CipherKey&&) noexcept = default;

    // Empty when the derivation fails (the crypto library refused) or the salt is not SaltSize
    // bytes long.
    static CipherKey derive(const SecretBytes& passphrase, const QByteArray& salt);
    // A salt for a new file, from the operating system's random source; empty on failure.
    static QByteArray freshSalt();
    // The salt a protected file was written with: its first SaltSize bytes. Empty when the file
    // cannot be read or is shorter.
    static QByteArray saltOfFile(const QString& path);
    // How many derivations this process has run: each costs a noticeable fraction of a second,
    // and tests count them to see what an opening pays.
    static int derivations();

    bool isEmpty() const { return m_text.isEmpty(); }
    QByteArray salt() const;
    // The text for sqlite3_key(), QSqlDatabase::open()'s password or ATTACH ... KEY.
    const SecretBytes& keyText() const { return m_text; }
    CipherKey copy() const;

private:
    explicit CipherKey(SecretBytes&& text) : m_text(std::move(text)) {}
    SecretBytes m_text;
};
