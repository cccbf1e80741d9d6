#include "cli/ProtectCommand.h"

#include "store/files/DatabaseProtection.h"
#include "store/keys/PassphraseKeyring.h"
#include "store/keys/SecretBytes.h"

ProtectCommand::ProtectCommand(Streams& streams)
    : Command(streams,
              {QStringLiteral("protect"),
               QStringLiteral("protect [--new-passphrase-fd N] [--remember]"),
               tr("Encrypts the database with a passphrase, read from descriptor N or asked "
                  "twice on the terminal. The file is replaced only once the encrypted copy is "
                  "complete on disk. --remember keeps the passphrase in the desktop's keyring, "
                  "where numira-cli and Numira find it."),
               {QStringLiteral("--new-passphrase-fd"), QStringLiteral("--remember")},
               0,
               0})
{
}

int ProtectCommand::execute(const CliArguments& args)
{
    QString path;
    if (!databaseAddress(args, &path))
        return Failure;
    if (!databaseCanBeProtected(path))
        return fail(tr("A passphrase protects a database file. A database on a "
                       "server is protected by the server's own roles and rights."));
    if (isProtected(path))
        return fail(tr("The database is protected by a passphrase already."));
    if (!checkSchema(path))
        return Failure;
    SecretBytes passphrase;
    if (!newPassphrase(args, &passphrase))
        return Failure;
    QString error;
    if (!DatabaseProtection::protect(session().keys(), path, passphrase, &error))
        return fail(error);
    if (args.flags.contains(QStringLiteral("--remember")) &&
        !PassphraseKeyring::store(path, passphrase, &error))
        return fail(tr("The database is protected, but the keyring did not keep "
                       "the passphrase: %1")
                        .arg(error));
    return Success;
}
