#include "screens/frmBrowse.h"

#include "app/Forms.h"
#include "app/ProgramState.h"
#include "app/Prompt.h"
#include "app/frmMain.h"
#include "app/modSetParent.h"
#include "screens/RecordListModel.h"
#include "screens/ScreenKit.h"
#include "screens/frmEdit.h"
#include "skins/modSkin.h"
#include "store/SerialStore.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

frmBrowse::frmBrowse(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{
    buildControls();
    load();
}

void frmBrowse::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 6450, 4230);

    cmdDeleteProg =
        button(this, "cmdDeleteProg", QStringLiteral("Delete &Program"), 255, 120, 1275, 375);
    cmbProgram = place<QComboBox>(this, "cmbProgram", 1920, 120, 2295, 360);
    cmbProgram->setEditable(true);
    cmbProgram->setInsertPolicy(QComboBox::NoInsert);
    // The box takes the name exactly as typed: no completion may change it under the user.
    cmbProgram->setCompleter(nullptr);
    setVerdana(cmbProgram, 9.75);
    cmdSearch = button(this, "cmdSearch", QStringLiteral("&Search"), 4620, 120, 1290, 390);
    m_records = new RecordListModel({QStringLiteral("ID"), QStringLiteral("Version"),
                                     QStringLiteral("Name"), QStringLiteral("Serial")},
                                    this);
    lstRecords =
        listView(this, "lstRecords", 120, 735, 5970, 2250, m_records, {600, 1000, 1700, 2650});
    cmdCancel = button(this, "cmdCancel", QStringLiteral("&Cancel"), 570, 3090, 1620, 390);
    cmdView = button(this, "cmdView", QStringLiteral("&Look Closer"), 3795, 3105, 1860, 375);

    chainTabOrder({cmbProgram, cmdSearch, lstRecords, cmdCancel, cmdView, cmdDeleteProg});
    bindEscape(this, cmdCancel);

    // Only the user's editing refills the listing; a choice from the drop-down list waits
    // for Search.
    connect(cmbProgram->lineEdit(), &QLineEdit::textEdited, this, &frmBrowse::cmbProgram_Change);
    connect(cmdSearch, &QPushButton::clicked, this, &frmBrowse::cmbProgram_Change);
    connect(cmdView, &QPushButton::clicked, this, &frmBrowse::cmdView_Click);
    connect(cmdDeleteProg, &QPushButton::clicked, this, &frmBrowse::cmdDeleteProg_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmBrowse::cmdCancel_Click);
}

void frmBrowse::load()
{
    if (programState().SkinLoaded)
        modSkin::ApplySkinColors(this);
    cmdView->setEnabled(false);

    QStringList names;
    QString error;
    if (SerialStore::programNames(&names, &error))
        cmbProgram->addItems(names);
    else
        ScreenKit::reportFailure(m_prompt, QStringLiteral("The program list could not be read!"),
                                 error);
    cmbProgram->setCurrentIndex(-1);
    cmbProgram->setEditText(QString());
}

void frmBrowse::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        cmbProgram->setFocus();
}

void frmBrowse::search()
{
    const QString program = cmbProgram->currentText();
    if (program.isEmpty())
        return;
    m_records->clear();
    cmdView->setEnabled(false);

    SerialStore::Listing rows;
    QString error;
    if (!SerialStore::serialsOfProgram(program, &rows, &error)) {
        ScreenKit::reportFailure(
            m_prompt, QStringLiteral("The serials of this program could not be read!"), error);
        return;
    }
    if (rows.rowCount() > 0) {
        cmdView->setEnabled(true);
        m_records->setRecords(std::move(rows));
    } else {
        const QString none = QStringLiteral("N/A");
        m_records->setPlaceholder({none, none, none, none});
    }
}

void frmBrowse::cmbProgram_Change()
{
    if (!cmbProgram->currentText().isEmpty())
        search();
}

void frmBrowse::cmdView_Click()
{
    const QString id = ScreenKit::selectedId(lstRecords);
    if (id.isEmpty() || m_records->isPlaceholder())
        return;
    ProgramState& state = programState();
    state.SelectedID = id;
    state.ReturnTo = QStringLiteral("browse");
    modSetParent::CloseChildScreensExcept(QStringLiteral("frmBrowse"));
    Forms::Main()->hostScreen(Forms::Edit());
}

void frmBrowse::cmdDeleteProg_Click()
{
    const QString program = cmbProgram->currentText();
    if (program.isEmpty())
        return;
    if (!m_prompt.askYesNo(QStringLiteral("Delete the selected Program?")))
        return;

    SerialStore::ProgramDeletion outcome = SerialStore::ProgramDeletion::NotFound;
    QString error;
    if (!SerialStore::deleteProgram(program, &outcome, &error)) {
        ScreenKit::reportFailure(m_prompt, QStringLiteral("The program was not deleted!"), error);
        return;
    }
    switch (outcome) {
    case SerialStore::ProgramDeletion::StillReferenced:
        m_prompt.critical(QStringLiteral(
            "Program has 1 or more serials referenced to it.  Delete those serials first!"));
        break;
    case SerialStore::ProgramDeletion::NotFound:
        m_prompt.critical(QStringLiteral("Program Doesn't Exist and therefore cannot be deleted!"));
        break;
    case SerialStore::ProgramDeletion::Deleted:
        modSetParent::CloseChildScreens();
        Forms::Main()->showBrowser();
        m_prompt.inform(QStringLiteral("Program has been deleted!"));
        break;
    }
}

void frmBrowse::cmdCancel_Click()
{
    modSetParent::CloseChildScreens();
    Forms::Main()->showBrowser();
}
