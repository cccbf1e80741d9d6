#pragma once

#include "cli/Command.h"

#include <QCoreApplication>
#include <memory>
#include <vector>

// numira-cli's command line: finds the command, checks its options and arguments, prints help
// and usage, runs the command, and turns a refused write on standard output into exit status 1
// with one line on standard error, whatever the command made of it.
class CommandDispatcher final
{
    Q_DECLARE_TR_FUNCTIONS(CommandDispatcher)

    Q_DISABLE_COPY_MOVE(CommandDispatcher)

public:
    explicit CommandDispatcher(Command::Streams streams);
    ~CommandDispatcher();

    int run(const QStringList& words);

private:
    int dispatch(const QStringList& words);
    Command* find(const QString& name) const;
    QString helpText(const Command* command) const;
    int usage(const QString& message, const QString& command = {});

    Command::Streams m_streams;
    std::vector<std::unique_ptr<Command>> m_commands;
};
