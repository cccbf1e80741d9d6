#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Changes the given fields of a record, under the rules of add.
class EditCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(EditCommand)

public:
    explicit EditCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
