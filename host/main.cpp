// numira-quickadd-host: the native-messaging host the browser extension talks to. The browser
// starts it for each "Add to Numira", sends one message and reads one answer.

#include "store/Translations.h"
#include "web/PipeInput.h"
#include "web/QuickAddHost.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcessEnvironment>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The answers the browser shows the user speak the user's language.
    Translations::install(app, QCoreApplication::applicationDirPath(),
                          QProcessEnvironment::systemEnvironment());
    // Unbuffered: the answer must reach the browser before the process ends, and no byte of
    // standard input beyond the one message may be taken. The input keeps the read deadline
    // even when the browser holds the pipe open without writing.
    PipeInput input(0);
    QFile output;
    if (!input.isOpen() || !output.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 2;

    QString error;
    const int waitMsecs = QuickAddHost::frameWaitMsecs(QProcessEnvironment::systemEnvironment());
    if (QuickAddHost::serve(&input, &output, QCoreApplication::applicationDirPath(), &error,
                            waitMsecs))
        return 0;
    std::fprintf(stderr, "numira-quickadd-host: %s\n", qUtf8Printable(error));
    return 1;
}
