#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The program's own reading of its command line. It runs before QApplication exists, so no
// Qt or web engine option is ever taken out of the user's text: Qt only sees the program name.
struct CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum class Action
    {
        Run,
        PrintHelp,
        PrintVersion
    };

    Action action = Action::Run;
    // True when the start carries a quick add: a non-blank text, or the explicit form
    // "--add-serial=" (whose value may be empty: the add screen then opens empty).
    bool quickAdd = false;
    // The quick-add text, with leading and trailing blanks removed.
    QString quickAddText;

    // Reads the arguments after the program's own name.
    static CommandLine parse(const QStringList& arguments);
    // Converts argv (after the program name) the way the platform encodes it.
    static QStringList fromArgv(int argc, char* argv[]);
    // What --help prints.
    static QString usage();
};
