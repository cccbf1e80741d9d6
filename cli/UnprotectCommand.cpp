#include "cli/UnprotectCommand.h"

#include "store/files/DatabaseProtection.h"
#include "store/keys/PassphraseKeyring.h"

UnprotectCommand::UnprotectCommand(Streams& streams)
    : Command(streams, {QStringLiteral("unprotect"),
                        QStringLiteral("unprotect [--passphrase-fd N]"),
                        tr("Takes the passphrase off a protected database: the file "
                           "is plain SQLite again."),
                        {},
                        0,
                        0})
{
}

int UnprotectCommand::execute(const CliArguments& args)
{
    QString path;
    if (!unlockProtectedDatabase(args, &path))
        return Failure;
    QString error;
    if (!DatabaseProtection::unprotect(session().keys(), path, &error))
        return fail(error);
    if (PassphraseKeyring::unavailableReason().isEmpty())
        PassphraseKeyring::remove(path);
    return Success;
}
