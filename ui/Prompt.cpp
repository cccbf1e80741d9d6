#include "ui/Prompt.h"

#include <QStringList>

bool Prompt::editOptions(SecurityOptions* options)
{
    Q_UNUSED(options);
    return false;
}

void Prompt::inform(const QString& text, const QString& title)
{
    message({text, title, PromptButtons::Ok, PromptIcon::None});
}

void Prompt::critical(const QString& text, const QString& title)
{
    message({text, title, PromptButtons::Ok, PromptIcon::Critical});
}

void Prompt::warn(const QString& text, const QString& title)
{
    message({text, title, PromptButtons::Ok, PromptIcon::Exclamation});
}

QString Prompt::saveFileWithOption(const QString& title, const QString& filter,
                                   const QString& proposedPath, const QString& option,
                                   bool* checked)
{
    Q_UNUSED(option)
    Q_UNUSED(checked)
    return saveFile(title, filter, proposedPath);
}

QString Prompt::openFileOfType(const QString& title, const QString& filter,
                               const QString& initialFolder, int* type)
{
    *type = -1;
    return openFile(title, filter, initialFolder);
}

QString Prompt::openDatabase(const QString& title, const QString& filter,
                             const QString& initialFolder, const QString& lastAddress)
{
    Q_UNUSED(lastAddress)
    return openFile(title, filter, initialFolder);
}

bool Prompt::askYesNo(const QString& text, const QString& title)
{
    return message({text, title, PromptButtons::YesNo, PromptIcon::None}) == PromptAnswer::Yes;
}

QString qtFilterFromDesign(const QString& designFilter)
{
    // The design lists pairs of description and pattern separated by "|"; the description
    // already carries the pattern in brackets, which is all Qt needs.
    const QStringList parts = designFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        const QString pattern = parts.at(i + 1).trimmed();
        if (description.isEmpty())
            continue;
        if (description.contains(QLatin1Char('(')))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, pattern);
    }
    return filters.join(QStringLiteral(";;"));
}

int designFilterIndex(const QString& designFilter, const QString& qtFilter)
{
    return qtFilterFromDesign(designFilter).split(QStringLiteral(";;")).indexOf(qtFilter);
}
