// numira-cli: Numira's records from the command line, over the program's own store.

#include "cli/CommandDispatcher.h"
#include "cli/CommandOutput.h"
#include "store/Translations.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>
#include <QStringDecoder>

#include <cstdio>
#include <cstdlib>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// The first argument that is not UTF-8 text, or 0. Such bytes would turn into replacement
// characters, and a name or a serial would be stored or looked for changed.
int firstNonUtf8Argument(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString text = decoder.decode(QByteArrayView(argv[i]));
        Q_UNUSED(text)
        if (decoder.hasError())
            return i;
    }
    return 0;
}

// The terminal's width in cells: asked of the terminal, else $COLUMNS, else 80.
int terminalWidth()
{
    struct winsize size = {};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    const int columns = std::atoi(qgetenv("COLUMNS").constData());
    return columns > 0 ? columns : 80;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Translations::install(app, QCoreApplication::applicationDirPath(),
                          QProcessEnvironment::systemEnvironment());
    if (const int bad = firstNonUtf8Argument(argc, argv)) {
        const QString message =
            QCoreApplication::translate("numira-cli", "argument %1 is not UTF-8 text; nothing "
                                                      "was done (see numira-cli --help)")
                .arg(bad);
        std::fprintf(stderr, "numira-cli: %s\n", qUtf8Printable(message));
        return Command::Usage;
    }
    QFile in;
    in.open(stdin, QIODevice::ReadOnly);
    // Standard output and error are written to their descriptors, never through stdio, whose
    // buffer would be written at exit with nobody to see it fail.
    CommandOutput out(STDOUT_FILENO);
    CommandOutput err(STDERR_FILENO);
    const bool terminal = isatty(STDOUT_FILENO) != 0;
    CommandDispatcher commands({in, out, err, terminal, terminal ? terminalWidth() : 0});
    QStringList words = app.arguments();
    words.removeFirst();
    return commands.run(words);
}
