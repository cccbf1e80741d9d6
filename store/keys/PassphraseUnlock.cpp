#include "store/keys/PassphraseUnlock.h"

#include "store/DatabaseSession.h"
#include "store/keys/PassphraseKeyring.h"
#include "store/keys/SecretBytes.h"

namespace PassphraseUnlock {

Result unlock(DatabaseSession& session, const QString& path, const Asking& asking, QString* error)
{
    if (!DatabaseSession::isProtectedFile(path) || session.keys().has(path))
        return Result::Unlocked;
    if (asking.keyringFirst && PassphraseKeyring::unavailableReason().isEmpty()) {
        SecretBytes kept;
        // A kept passphrase that no longer opens the file is passed over: the user is asked.
        if (PassphraseKeyring::read(path, &kept) &&
            session.checkPassphrase(path, kept) == DatabaseSession::PassphraseCheck::Right) {
            session.keys().remember(path, kept);
            return Result::Unlocked;
        }
    }
    for (int attempt = 0; attempt < asking.tries; ++attempt) {
        std::optional<SecretBytes> given = asking.ask();
        if (!given)
            return Result::NotGiven;
        StoreError why;
        switch (session.checkPassphrase(path, *given, &why)) {
        case DatabaseSession::PassphraseCheck::Right:
            session.keys().remember(path, *given);
            if (asking.accepted)
                asking.accepted(*given);
            return Result::Unlocked;
        case DatabaseSession::PassphraseCheck::Wrong:
            if (asking.wrong)
                asking.wrong();
            break;
        case DatabaseSession::PassphraseCheck::Failed:
            if (error)
                *error = why.message();
            return Result::Failed;
        }
    }
    return Result::Wrong;
}

} // namespace PassphraseUnlock
