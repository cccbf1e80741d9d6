#pragma once

#include <QString>

class SecretBytes;

// Passphrases of protected databases kept in the desktop's keyring (the Secret Service of
// GNOME Keyring or KWallet, through QtKeychain), one entry per database file under its
// absolute path; and the passwords of database servers, one entry per address. Each call waits for
// the keyring's answer, running a local event loop.
namespace PassphraseKeyring {

// Why the keyring cannot be used here (no Secret Service on the session bus); empty when it
// can.
QString unavailableReason();

// False when the keyring holds no passphrase for the file or cannot be read (error says which;
// empty for "none kept").
bool read(const QString& dbPath, SecretBytes* passphrase, QString* error = nullptr);
bool store(const QString& dbPath, const SecretBytes& passphrase, QString* error = nullptr);
// Removing an entry that does not exist succeeds.
bool remove(const QString& dbPath, QString* error = nullptr);

// Passwords of database servers, one entry per address exactly as the user gave it.
bool readServerPassword(const QString& address, SecretBytes* password, QString* error = nullptr);
bool storeServerPassword(const QString& address, const SecretBytes& password,
                         QString* error = nullptr);
bool removeServerPassword(const QString& address, QString* error = nullptr);

} // namespace PassphraseKeyring
