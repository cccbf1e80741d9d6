#include "cli/ChangePassphraseCommand.h"

#include "store/files/DatabaseProtection.h"
#include "store/keys/SecretBytes.h"

ChangePassphraseCommand::ChangePassphraseCommand(Streams& streams)
    : Command(streams, {QStringLiteral("change-passphrase"),
                        QStringLiteral("change-passphrase [--passphrase-fd N] "
                                       "[--new-passphrase-fd M]"),
                        tr("Gives a protected database a new passphrase."),
                        {QStringLiteral("--new-passphrase-fd")},
                        0,
                        0})
{
}

int ChangePassphraseCommand::execute(const CliArguments& args)
{
    QString path;
    if (!unlockProtectedDatabase(args, &path))
        return Failure;
    SecretBytes passphrase;
    if (!newPassphrase(args, &passphrase))
        return Failure;
    QString error;
    if (!DatabaseProtection::changePassphrase(session().keys(), path, passphrase, &error))
        return fail(error);
    return Success;
}
