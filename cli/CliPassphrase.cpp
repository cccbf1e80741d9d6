#include "cli/CliPassphrase.h"

#include "store/keys/SecretBytes.h"

#include <QByteArray>
#include <QCoreApplication>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace CliPassphrase {

namespace {

constexpr qsizetype LongestPassphrase = 4096;

// One line from the descriptor, read a byte at a time so that nothing after the line end is
// taken from a stream the caller may read on.
bool readLine(int descriptor, QByteArray* line, QString* error)
{
    line->reserve(LongestPassphrase + 1);
    for (;;) {
        char byte = 0;
        const ssize_t got = ::read(descriptor, &byte, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            if (error)
                *error = QCoreApplication::translate(
                             "CliPassphrase", "The passphrase cannot be read from descriptor %1.")
                             .arg(descriptor);
            return false;
        }
        if (got == 0 || byte == '\n')
            break;
        if (line->size() >= LongestPassphrase) {
            if (error)
                *error = QCoreApplication::translate("CliPassphrase",
                                                     "The passphrase is longer than %n bytes.",
                                                     nullptr, int(LongestPassphrase));
            return false;
        }
        line->append(byte);
    }
    if (line->endsWith('\r'))
        line->chop(1);
    return true;
}

} // namespace

bool descriptorFromText(const QString& text, int* descriptor)
{
    bool numeric = false;
    const int value = text.toInt(&numeric);
    if (!numeric || value < 0)
        return false;
    *descriptor = value;
    return true;
}

bool readDescriptor(int descriptor, SecretBytes* passphrase, QString* error)
{
    QByteArray line;
    const bool read = readLine(descriptor, &line, error);
    if (read && line.isEmpty()) {
        if (error)
            *error = QCoreApplication::translate("CliPassphrase", "The passphrase is empty.");
        return false;
    }
    if (read)
        *passphrase = SecretBytes(std::move(line));
    SecretBytes::wipe(line);
    return read;
}

bool askTerminal(const QString& question, bool twice, SecretBytes* passphrase, QString* error)
{
    const int terminal = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (terminal < 0) {
        if (error)
            *error = QCoreApplication::translate(
                "CliPassphrase", "The database is protected by a passphrase, and there is no "
                                 "terminal to ask it on; give it with --passphrase-fd N.");
        return false;
    }
    termios saved{};
    const bool isTerminal = ::tcgetattr(terminal, &saved) == 0;
    if (isTerminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        quiet.c_lflag |= ECHONL;
        ::tcsetattr(terminal, TCSAFLUSH, &quiet);
    }
    const auto ask = [terminal, error](const QString& text, QByteArray* line) {
        const QByteArray prompt = text.toUtf8();
        if (::write(terminal, prompt.constData(), size_t(prompt.size())) < 0)
            return false;
        return readLine(terminal, line, error);
    };
    QByteArray first;
    QByteArray second;
    bool ok = ask(question + QStringLiteral(": "), &first);
    if (ok && first.isEmpty()) {
        ok = false;
        if (error)
            *error = QCoreApplication::translate("CliPassphrase", "The passphrase is empty.");
    }
    if (ok && twice) {
        ok = ask(QCoreApplication::translate("CliPassphrase", "Again: "), &second);
        if (ok && first != second) {
            ok = false;
            if (error)
                *error =
                    QCoreApplication::translate("CliPassphrase", "The two passphrases differ.");
        }
    }
    if (isTerminal)
        ::tcsetattr(terminal, TCSAFLUSH, &saved);
    ::close(terminal);
    SecretBytes::wipe(second);
    if (ok)
        *passphrase = SecretBytes(std::move(first));
    SecretBytes::wipe(first);
    return ok;
}

} // namespace CliPassphrase
