#include "cli/CliArguments.h"

const QSet<QString>& CliArguments::valueOptions()
{
    static const QSet<QString> names = {QStringLiteral("--db"),
                                        QStringLiteral("--format"),
                                        QStringLiteral("--by"),
                                        QStringLiteral("--field"),
                                        QStringLiteral("--program"),
                                        QStringLiteral("--version"),
                                        QStringLiteral("--name"),
                                        QStringLiteral("--serial"),
                                        QStringLiteral("-o"),
                                        QStringLiteral("--output"),
                                        QStringLiteral("--passphrase-fd"),
                                        QStringLiteral("--from"),
                                        QStringLiteral("--to"),
                                        QStringLiteral("--new-passphrase-fd"),
                                        QStringLiteral("--email"),
                                        QStringLiteral("--url"),
                                        QStringLiteral("--purchased"),
                                        QStringLiteral("--expires"),
                                        QStringLiteral("--seats"),
                                        QStringLiteral("--order"),
                                        QStringLiteral("--notes"),
                                        QStringLiteral("--clear"),
                                        QStringLiteral("--within")};
    return names;
}

bool CliArguments::parse(const QStringList& words, QString* error)
{
    bool plainOnly = false;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words.at(i);
        // "-1" is a malformed id, which the command names, not an option.
        bool negativeNumber = word.size() > 1;
        for (qsizetype c = 1; negativeNumber && c < word.size(); ++c)
            negativeNumber = word.at(c).isDigit();
        if (plainOnly || word == QLatin1String("-") || !word.startsWith(QLatin1Char('-')) ||
            negativeNumber) {
            if (command.isEmpty())
                command = word;
            else
                positional.append(word);
            continue;
        }
        if (word == QLatin1String("--")) {
            plainOnly = true;
            continue;
        }
        // Before the command, --version asks for the tool's version; after it, a command's
        // --version takes the record's version.
        if (command.isEmpty() && word == QLatin1String("--version")) {
            flags.insert(word);
            continue;
        }
        QString name = word;
        QString value;
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const bool inline_ = word.startsWith(QLatin1String("--")) && equals > 0;
        if (inline_) {
            name = word.left(equals);
            value = word.mid(equals + 1);
        }
        if (name == QLatin1String("--output"))
            name = QStringLiteral("-o");
        if (!valueOptions().contains(name)) {
            flags.insert(word);
            continue;
        }
        if (!inline_) {
            if (i + 1 >= words.size()) {
                *error = QStringLiteral("%1 needs a value").arg(name);
                return false;
            }
            value = words.at(++i);
        }
        options.insert(name, value);
        repeated[name].append(value);
    }
    return true;
}
