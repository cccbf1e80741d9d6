#include "ui/QtPrompt.h"

#include "ui/OptionsDialog.h"
#include "ui/PassphraseDialog.h"
#include "ui/ServerAddressDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

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
        box.setDefaultButton(message.defaultAnswer == PromptAnswer::No ? QMessageBox::No
                                                                       : QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    QPushButton* other = nullptr;
    if (message.buttons == PromptButtons::Ok && !message.otherButton.isEmpty())
        other = box.addButton(message.otherButton, QMessageBox::ActionRole);
    const int result = box.exec();
    if (other && box.clickedButton() == other)
        return PromptAnswer::Other;
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

QString QtPrompt::openFileOfType(const QString& title, const QString& filter,
                                 const QString& initialFolder, int* type)
{
    QString chosen;
    const QString path = QFileDialog::getOpenFileName(dialogParent(), title, initialFolder,
                                                      qtFilterFromDesign(filter), &chosen);
    *type = designFilterIndex(filter, chosen);
    return path;
}

QString QtPrompt::saveFileWithOption(const QString& title, const QString& filter,
                                     const QString& proposedPath, const QString& option,
                                     bool* checked)
{
    // Qt's own dialog, since a check box can be added to it; the caller asks before it
    // replaces a file.
    QFileDialog dialog(dialogParent(), title, proposedPath, qtFilterFromDesign(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    auto* box = new QCheckBox(option, &dialog);
    box->setObjectName(QStringLiteral("chkOption"));
    box->setChecked(*checked);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(box, grid->rowCount(), 0, 1, grid->columnCount());
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    *checked = box->isChecked();
    return dialog.selectedFiles().value(0);
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

bool QtPrompt::editOptions(SecurityOptions* options)
{
    OptionsDialog dialog(*options, dialogParent());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *options = dialog.options();
    return true;
}

QString QtPrompt::openDatabase(const QString& title, const QString& filter,
                               const QString& initialFolder, const QString& lastAddress)
{
    // Qt's own dialog, since a button can be added to it: the server's address is asked over
    // the file dialog, and a cancelled address question leaves the file dialog open.
    QFileDialog dialog(dialogParent(), title, initialFolder, qtFilterFromDesign(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOptions(QFileDialog::DontUseNativeDialog);
    auto* server = new QPushButton(tr("On a &Server..."), &dialog);
    server->setObjectName(QStringLiteral("cmdServer"));
    server->setAutoDefault(false);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
        grid->addWidget(server, grid->rowCount(), 0, 1, grid->columnCount(), Qt::AlignLeft);
    QString address;
    QObject::connect(server, &QPushButton::clicked, &dialog, [&] {
        ServerAddressDialog ask(lastAddress, &dialog);
        address = ask.ask();
        // The file dialog would refuse to accept without a file: it closes, and the address
        // is the answer.
        if (!address.isEmpty())
            dialog.reject();
    });
    const bool fileChosen = dialog.exec() == QDialog::Accepted;
    if (!address.isEmpty())
        return address;
    return fileChosen ? dialog.selectedFiles().value(0) : QString();
}
