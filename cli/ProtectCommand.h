#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Puts a passphrase on the database file.
class ProtectCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ProtectCommand)

public:
    explicit ProtectCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
