#pragma once

#include "ui/Prompt.h"

#include <QList>
#include <QQueue>
#include <QStringList>

// Answers the program's questions from a script and records every box and dialog shown.
// With the script empty, a question is answered No, an OK box OK and a file dialog cancelled.
class ScriptedPrompt final : public Prompt
{
public:
    struct FileDialog
    {
        QString kind; // "open" or "save"
        QString title;
        QString filter;
        QString folderOrProposal;
        QString option;      // the check box's text, for a dialog that has one
        QString lastAddress; // the server address offered, for the choice of a database
    };

    PromptAnswer message(const PromptMessage& message) override;
    QString openFile(const QString& title, const QString& filter,
                     const QString& initialFolder) override;
    QString saveFile(const QString& title, const QString& filter,
                     const QString& proposedPath) override;
    QString openFileOfType(const QString& title, const QString& filter,
                           const QString& initialFolder, int* type) override;
    QString saveFileWithOption(const QString& title, const QString& filter,
                               const QString& proposedPath, const QString& option,
                               bool* checked) override;
    PassphraseAnswer askPassphrase(const PassphraseQuestion& question) override;
    // Recorded as an "open" dialog; answered from the same queue as the file dialogs.
    QString openDatabase(const QString& title, const QString& filter, const QString& initialFolder,
                         const QString& lastAddress) override;

    // Records the options shown; with an answer scripted, OK with those options, else Cancel.
    bool editOptions(SecurityOptions* options) override;
    void chooseOptions(const SecurityOptions& options) { m_optionAnswers.enqueue(options); }
    QList<SecurityOptions> optionsShown;

    // The next answers to Yes/No questions, in order.
    void answer(PromptAnswer next) { m_answers.enqueue(next); }
    // The next file dialog's result; the empty text cancels it.
    void chooseFile(const QString& path) { chooseFileOfType(path, -1); }
    // The next open dialog's result with the file type chosen in it (its place in the filter).
    void chooseFileOfType(const QString& path, int type)
    {
        m_files.enqueue(path);
        m_types.enqueue(type);
    }
    // The next choice of a database is a server's address, as the user typed it.
    void chooseServer(const QString& address) { chooseFileOfType(address, -1); }
    // The state the next dialog with a check box leaves its box in; unscripted, as it opened.
    void checkOption(bool checked) { m_options.enqueue(checked); }

    // The next passphrase questions' answers, in order; with none left, the question is
    // cancelled.
    void givePassphrase(const QString& passphrase, bool remember = false)
    {
        m_passphrases.enqueue({true, passphrase, remember});
    }
    void cancelPassphrase() { m_passphrases.enqueue({}); }

    QList<PromptMessage> shown;
    QList<PassphraseQuestion> passphraseQuestions;
    QList<FileDialog> dialogs;

    QStringList texts() const;
    void clear();

private:
    QQueue<PromptAnswer> m_answers;
    QQueue<QString> m_files;
    QQueue<int> m_types; // beside m_files: the type chosen with each file, -1 for none

    QString nextFile(int* type = nullptr);
    QQueue<bool> m_options;
    QQueue<PassphraseAnswer> m_passphrases;
    QQueue<SecurityOptions> m_optionAnswers;
};
