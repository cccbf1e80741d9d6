#include "support/ScriptedPrompt.h"

PromptAnswer ScriptedPrompt::message(const PromptMessage& message)
{
    shown.append(message);
    // A message's other button is pressed only when the script says so next.
    if (message.buttons == PromptButtons::Ok) {
        if (!message.otherButton.isEmpty() && !m_answers.isEmpty() &&
            m_answers.head() == PromptAnswer::Other)
            return m_answers.dequeue();
        return PromptAnswer::Ok;
    }
    return m_answers.isEmpty() ? PromptAnswer::No : m_answers.dequeue();
}

QString ScriptedPrompt::openFile(const QString& title, const QString& filter,
                                 const QString& initialFolder)
{
    dialogs.append({QStringLiteral("open"), title, filter, initialFolder});
    return nextFile();
}

QString ScriptedPrompt::openFileOfType(const QString& title, const QString& filter,
                                       const QString& initialFolder, int* type)
{
    dialogs.append({QStringLiteral("open"), title, filter, initialFolder});
    return nextFile(type);
}

QString ScriptedPrompt::saveFile(const QString& title, const QString& filter,
                                 const QString& proposedPath)
{
    dialogs.append({QStringLiteral("save"), title, filter, proposedPath});
    return nextFile();
}

QString ScriptedPrompt::saveFileWithOption(const QString& title, const QString& filter,
                                           const QString& proposedPath, const QString& option,
                                           bool* checked)
{
    dialogs.append({QStringLiteral("save"), title, filter, proposedPath, option});
    if (!m_options.isEmpty())
        *checked = m_options.dequeue();
    return nextFile();
}

PassphraseAnswer ScriptedPrompt::askPassphrase(const PassphraseQuestion& question)
{
    passphraseQuestions.append(question);
    return m_passphrases.isEmpty() ? PassphraseAnswer() : m_passphrases.dequeue();
}

QString ScriptedPrompt::openDatabase(const QString& title, const QString& filter,
                                     const QString& initialFolder, const QString& lastAddress)
{
    dialogs.append({QStringLiteral("open"), title, filter, initialFolder, QString(), lastAddress});
    return nextFile();
}

bool ScriptedPrompt::editOptions(SecurityOptions* options)
{
    optionsShown.append(*options);
    if (m_optionAnswers.isEmpty())
        return false;
    *options = m_optionAnswers.dequeue();
    return true;
}

QStringList ScriptedPrompt::texts() const
{
    QStringList result;
    for (const PromptMessage& message : shown)
        result << message.text;
    return result;
}

void ScriptedPrompt::clear()
{
    shown.clear();
    dialogs.clear();
    m_answers.clear();
    m_files.clear();
    m_types.clear();
    m_options.clear();
    passphraseQuestions.clear();
    m_passphrases.clear();
}

QString ScriptedPrompt::nextFile(int* type)
{
    const int chosenType = m_types.isEmpty() ? -1 : m_types.dequeue();
    if (type)
        *type = chosenType;
    return m_files.isEmpty() ? QString() : m_files.dequeue();
}
