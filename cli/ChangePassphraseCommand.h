#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Gives a protected database file a new passphrase.
class ChangePassphraseCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ChangePassphraseCommand)

public:
    explicit ChangePassphraseCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
