#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// One command line of numira-cli taken apart: the command, its plain arguments, its options
// with values ("--by serial", "--by=serial", "-o FILE") and its flags ("--dry-run").
class CliArguments final
{
public:
    // Options that take a value; every other "-..." word is a flag. A lone "-", a word such as
    // "-1" and every word after "--" are plain arguments.
    static const QSet<QString>& valueOptions();

    // False with *error for an option that lacks its value.
    bool parse(const QStringList& words, QString* error);

    QString command;
    QStringList positional;
    QMap<QString, QString> options; // the last value of each option
    QMap<QString, QStringList> repeated; // every value of each option, in order
    QSet<QString> flags;

    bool has(const QString& option) const { return options.contains(option); }
    QString value(const QString& option) const { return options.value(option); }
    QStringList values(const QString& option) const { return repeated.value(option); }
    bool versionWanted() const
    {
        return command.isEmpty() && flags.contains(QStringLiteral("--version"));
    }
    bool helpWanted() const
    {
        return flags.contains(QStringLiteral("--help")) || flags.contains(QStringLiteral("-h"));
    }
};
