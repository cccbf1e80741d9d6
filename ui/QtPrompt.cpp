#include "ui/QtPrompt.h"

#include "ui/PassphraseDialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

QWidget* QtPrompt::dialogParent() const
{
    if (QWidget* active = QApplication::activeWindow())
        return active;
    if (m_parentWindow && m_parentWindow->isVisible())
        return m_parentWindow;
    return nullptr;
}

PromptAnswer QtPrompt::message(const PromptMessage& message)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(message.title);
    box.setText(message.text);
    switch (message.icon) {
    case PromptIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case PromptIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case PromptIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case PromptIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (message.buttons == PromptButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (message.buttons == PromptButtons::YesNo)
        return result == QMessageBox::Yes ? PromptAnswer::Yes : PromptAnswer::No;
    return PromptAnswer::Ok;
}

QString QtPrompt::openFile(const QString& title, const QString& filter,
                           const QString& initialFolder)
{
    return QFileDialog::getOpenFileName(dialogParent(), title, initialFolder,
                                        qtFilterFromDesign(filter));
}

QString QtPrompt::saveFile(const QString& title, const QString& filter, const QString& proposedPath)
{
    // The design sets no overwrite question: an existing backup is replaced.
    return QFileDialog::getSaveFileName(dialogParent(), title, proposedPath,
                                        qtFilterFromDesign(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

PassphraseAnswer QtPrompt::askPassphrase(const PassphraseQuestion& question)
{
    PassphraseDialog dialog(question, dialogParent());
    return dialog.ask();
}
