#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Lists the records that expire within some days or expired lately, soonest first.
class ExpiringCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ExpiringCommand)

public:
    explicit ExpiringCommand(Streams& streams);

    int execute(const CliArguments& args) override;

    // The days ahead when --within is not given, and the days back an expired licence is still
    // listed.
    static constexpr int DefaultWithinDays = 30;
    static constexpr int ExpiredDays = 30;
};
