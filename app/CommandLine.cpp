#include "app/CommandLine.h"

#include "app/StartupRules.h"

namespace {

const QString AddSerialOption = QStringLiteral("--add-serial=");

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine result;
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--help")) {
        result.action = Action::PrintHelp;
        return result;
    }
    if (arguments.size() == 1 && arguments.first() == QLatin1String("--version")) {
        result.action = Action::PrintVersion;
        return result;
    }
    QStringList words = arguments;
    // The explicit form: the value of the option, and any word after it belongs to the text
    // too, so a caller that did not quote it loses nothing.
    if (!words.isEmpty() && words.first().startsWith(AddSerialOption)) {
        words.first().remove(0, AddSerialOption.size());
        result.quickAdd = true;
    }
    result.quickAddText = StartupRules::quickAddText(words);
    if (!result.quickAddText.isEmpty())
        result.quickAdd = true;
    return result;
}

QStringList CommandLine::fromArgv(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: numira [TEXT...]\n"
        "       numira --add-serial=TEXT\n"
        "       numira --help | --version\n"
        "\n"
        "Keeps your software serial numbers. Any text on the command line opens the add\n"
        "screen with that text as the serial; a running Numira receives it instead.\n"
        "--add-serial= with no text opens the add screen empty.\n");
}
