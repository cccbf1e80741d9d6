#include "store/PassphraseUnlock.h"

#include "store/Database.h"
#include "store/PassphraseKeyring.h"
#include "store/SecretBytes.h"

namespace PassphraseUnlock {

Result unlock(const QString& path, const Asking& asking, QString* error)
{
    if (!Database::isProtectedFile(path) || Database::hasPassphrase(path))
        return Result::Unlocked;
    if (asking.keyringFirst && PassphraseKeyring::unavailableReason().isEmpty()) {
        SecretBytes kept;
        // A kept passphrase that no longer opens the file is passed over: the user is asked.
        if (PassphraseKeyring::read(path, &kept) &&
            Database::checkPassphrase(path, kept) == Database::PassphraseCheck::Right) {
            Database::rememberPassphrase(path, kept);
            return Result::Unlocked;
        }
    }
    for (int attempt = 0; attempt < asking.tries; ++attempt) {
        std::optional<SecretBytes> given = asking.ask();
        if (!given)
            return Result::NotGiven;
        switch (Database::checkPassphrase(path, *given, error)) {
        case Database::PassphraseCheck::Right:
            Database::rememberPassphrase(path, *given);
            if (asking.accepted)
                asking.accepted(*given);
            return Result::Unlocked;
        case Database::PassphraseCheck::Wrong:
            if (asking.wrong)
                asking.wrong();
            break;
        case Database::PassphraseCheck::Failed:
            return Result::Failed;
        }
    }
    return Result::Wrong;
}

} // namespace PassphraseUnlock
