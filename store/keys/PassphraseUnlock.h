#pragma once

#include <QString>

#include <functional>
#include <optional>

class DatabaseSession;
class SecretBytes;

// The passphrase of a protected database file for this run, the same way for numira-cli and the
// window: the one kept in the keyring when it is right, else the ones the caller asks for, each
// checked. The passphrase that unlocks is kept by the session (its KeptKeys), so that every
// later opening of the file in that session finds it.
namespace PassphraseUnlock {

enum class Result
{
    Unlocked, // plain, unlocked before, or a passphrase was right
    Wrong,    // every passphrase given was wrong
    NotGiven, // the asker gave none (cancelled, or it could not be read: the asker said why)
    Failed    // the file could not be checked (error says why)
};

struct Asking
{
    // The next passphrase; none when none was given.
    std::function<std::optional<SecretBytes>()> ask;
    // Told of each wrong passphrase (the last one too); may be empty.
    std::function<void()> wrong;
    // Told of an asked passphrase that was right (the keyring's is not told); may be empty.
    std::function<void(const SecretBytes&)> accepted;
    // How many passphrases are asked at most.
    int tries = 1;
    // False when the caller named where the passphrase comes from, so that the keyring is not
    // asked first.
    bool keyringFirst = true;
};

Result unlock(DatabaseSession& session, const QString& path, const Asking& asking,
              QString* error = nullptr);

} // namespace PassphraseUnlock
