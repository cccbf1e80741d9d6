// numira-quickadd-host: the native-messaging host the browser extension talks to. The browser
// starts it for each "Add to Numira", sends one message and reads one answer.

#include "web/QuickAddHost.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // Unbuffered: the answer must reach the browser before the process ends, and no byte of
    // standard input beyond the one message may be taken.
    QFile input;
    QFile output;
    if (!input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered) ||
        !output.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 2;

    QString error;
    if (QuickAddHost::serve(&input, &output, QCoreApplication::applicationDirPath(), &error))
        return 0;
    std::fprintf(stderr, "numira-quickadd-host: %s\n", qUtf8Printable(error));
    return 1;
}
