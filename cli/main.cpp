// numira-cli: Numira's records from the command line, over the program's own store.

#include "cli/CliCommands.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QFile in;
    QFile out;
    QFile err;
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    CliCommands commands(in, out, err, isatty(STDOUT_FILENO) != 0);
    QStringList words = app.arguments();
    words.removeFirst();
    return commands.run(words);
}
