#include "screens/BrowseScreen.h"

#include "screens/EditScreen.h"
#include "screens/LiveList.h"
#include "screens/RecordHandOver.h"
#include "screens/RecordListModel.h"
#include "screens/ScreenKit.h"
#include "store/DatabaseSession.h"
#include "store/RecordStore.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

BrowseScreen::BrowseScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    buildControls();
    load();
}

void BrowseScreen::buildControls()
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
    connect(cmbProgram->lineEdit(), &QLineEdit::textEdited, this, &BrowseScreen::onProgramChanged);
    connect(cmdSearch, &QPushButton::clicked, this, &BrowseScreen::onProgramChanged);
    connect(cmdView, &QPushButton::clicked, this, &BrowseScreen::onLookCloserClicked);
    connect(lstRecords, &QTreeView::doubleClicked, this, &BrowseScreen::onLookCloserClicked);
    connect(cmdDeleteProg, &QPushButton::clicked, this, &BrowseScreen::onDeleteProgramClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &BrowseScreen::onCancelClicked);
    // Other users' changes list the program's records again.
    new LiveList(
        lstRecords, m_records, [this] { search(); }, m_host.session().changeFeed(), this);
}

void BrowseScreen::load()
{
    SkinColor::applySkinColors(this);
    cmdView->setEnabled(false);

    QStringList names;
    StoreError error;
    if (RecordStore::programNames(m_host.session(), &names, &error))
        cmbProgram->addItems(names);
    else
        ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The program list could not be read!"),
                                 error);
    cmbProgram->setCurrentIndex(-1);
    cmbProgram->setEditText(QString());
}

void BrowseScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        cmbProgram->setFocus();
}

void BrowseScreen::search()
{
    const QString program = cmbProgram->currentText();
    if (program.isEmpty())
        return;
    m_records->clear();
    cmdView->setEnabled(false);

    ResultPages rows;
    StoreError error;
    if (!RecordStore::pagedSerialsOfProgram(m_host.session(), program, &rows, &error)) {
        ScreenKit::reportFailure(
            m_prompt, m_host.session(), QStringLiteral("The serials of this program could not be read!"), error);
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

void BrowseScreen::onProgramChanged()
{
    if (!cmbProgram->currentText().isEmpty())
        search();
}

void BrowseScreen::onLookCloserClicked()
{
    const QString id = ScreenKit::selectedId(lstRecords);
    if (id.isEmpty() || m_records->isPlaceholder())
        return;
    RecordHandOver& state = recordHandOver();
    state.selectedId = id;
    state.returnTo = QStringLiteral("browse");
    m_host.closeScreensExcept(QStringLiteral("frmBrowse"));
    m_host.hostScreen(m_host.recordScreen(ScreenHost::Screen::Edit));
}

void BrowseScreen::onDeleteProgramClicked()
{
    const QString program = cmbProgram->currentText();
    if (program.isEmpty())
        return;
    if (!m_prompt.askYesNo(QStringLiteral("Delete the selected Program?")))
        return;

    RecordStore::ProgramDeletion outcome = RecordStore::ProgramDeletion::NotFound;
    StoreError error;
    if (!RecordStore::deleteProgram(m_host.session(), program, &outcome, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The program was not deleted!"), error);
        return;
    }
    switch (outcome) {
    case RecordStore::ProgramDeletion::StillReferenced:
        m_prompt.critical(QStringLiteral(
            "Program has 1 or more serials referenced to it.  Delete those serials first!"));
        break;
    case RecordStore::ProgramDeletion::NotFound:
        m_prompt.critical(QStringLiteral("Program Doesn't Exist and therefore cannot be deleted!"));
        break;
    case RecordStore::ProgramDeletion::Deleted:
        m_host.closeScreens();
        m_host.showBrowser();
        m_prompt.inform(QStringLiteral("Program has been deleted!"));
        break;
    }
}

void BrowseScreen::onCancelClicked()
{
    m_host.closeScreens();
    m_host.showBrowser();
}
