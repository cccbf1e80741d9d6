#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Takes the passphrase off a protected database file.
class UnprotectCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(UnprotectCommand)

public:
    explicit UnprotectCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
