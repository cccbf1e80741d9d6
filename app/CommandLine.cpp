#include "app/CommandLine.h"

#include "app/StartupRules.h"

#include <algorithm>

namespace {

const QString AddSerialOption = QStringLiteral("--add-serial=");
const QStringList HelpOptions = {QStringLiteral("-h"), QStringLiteral("--help")};
const QString VersionOption = QStringLiteral("--version");

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine result;
    // A line made only of help and version options asks for them (help wins when both are
    // there); one other word and the whole line is quick-add text.
    const bool onlyOptions = !arguments.isEmpty() &&
                             std::all_of(arguments.begin(), arguments.end(), [](const QString& a) {
                                 return HelpOptions.contains(a) || a == VersionOption;
                             });
    if (onlyOptions) {
        const bool help = std::any_of(arguments.begin(), arguments.end(),
                                      [](const QString& a) { return HelpOptions.contains(a); });
        result.action = help ? Action::PrintHelp : Action::PrintVersion;
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
    return tr("Usage: numira [TEXT...]\n"
              "       numira --add-serial=TEXT\n"
              "       numira -h | --help | --version\n"
              "\n"
              "Keeps your software serial numbers. Any text on the command line opens the add\n"
              "screen with that text as the serial; a running Numira receives it instead.\n"
              "--add-serial= with no text opens the add screen empty.\n");
}
