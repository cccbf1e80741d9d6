#include "screens/BrowseScreen.h"

#include "screens/ExpiryMarks.h"
#include "screens/LiveList.h"
#include "screens/RecordCopier.h"
#include "screens/RecordHandOver.h"
#include "screens/RecordListModel.h"
#include "screens/ScreenKit.h"
#include "store/DatabaseSession.h"
#include "store/records/RecordStore.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

namespace {

const QString FormName = QStringLiteral("frmBrowse");

} // namespace

BrowseScreen::BrowseScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    buildControls();
    load();
}

BrowseScreen::~BrowseScreen()
{
    if (recordHandOver().caller == this)
        recordHandOver().caller = nullptr;
}

void BrowseScreen::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 6450, 4230);

    m_deleteProgram = button(this, "cmdDeleteProg", tr("Delete &Program"), 255, 120, 1275, 375);
    m_program = place<QComboBox>(this, "cmbProgram", 1920, 120, 2295, 360);
    m_program->setEditable(true);
    m_program->setInsertPolicy(QComboBox::NoInsert);
    // The box takes the name exactly as typed: no completion may change it under the user.
    m_program->setCompleter(nullptr);
    setVerdana(m_program, 9.75);
    m_search = button(this, "cmdSearch", tr("&Search"), 4620, 120, 1290, 390);
    m_records = new RecordListModel({tr("ID"), tr("Version"), tr("Name"), tr("Serial")}, this);
    m_list = listView(this, "lstRecords", 120, 735, 5970, 2250, m_records, {600, 1000, 1700, 2650});
    new ExpiryMarks(m_list, m_records, m_host.session(), this);
    m_cancel = button(this, "cmdCancel", tr("&Cancel"), 570, 3090, 1620, 390);
    m_lookCloser = button(this, "cmdView", tr("&Look Closer"), 3795, 3105, 1860, 375);

    chainTabOrder({m_program, m_search, m_list, m_cancel, m_lookCloser, m_deleteProgram});
    bindEscape(this, m_cancel);
    // The screen shows no captions. The box gets one that stays hidden, since Qt on Linux names
    // a combo box by its text and lets a screen reader find its caption through the label
    // relation; the list is named directly.
    auto* programCaption = new QLabel(tr("Program:"), this);
    programCaption->setObjectName(QStringLiteral("lblProgramCaption"));
    programCaption->hide();
    programCaption->setBuddy(m_program);
    m_program->setAccessibleName(programCaption->text());
    m_list->setAccessibleName(tr("Records"));
    enableWithSelectedRecord(m_lookCloser, m_list, m_records);
    // Ctrl+C and the right-click menu copy the selected record's serial, or the whole record.
    m_copier = new RecordCopier(m_list, m_records, m_prompt, m_host, this);

    // Typing, Enter in the box and a name picked from the drop-down list refill the listing.
    connect(m_program->lineEdit(), &QLineEdit::textEdited, this, &BrowseScreen::onProgramChanged);
    connect(m_program->lineEdit(), &QLineEdit::returnPressed, this,
            &BrowseScreen::onProgramChanged);
    connect(m_program, &QComboBox::activated, this, &BrowseScreen::onProgramChanged);
    connect(m_search, &QPushButton::clicked, this, &BrowseScreen::onProgramChanged);
    connect(m_lookCloser, &QPushButton::clicked, this, &BrowseScreen::onLookCloserClicked);
    connect(m_list, &QTreeView::doubleClicked, this, &BrowseScreen::onLookCloserClicked);
    connect(m_deleteProgram, &QPushButton::clicked, this, &BrowseScreen::onDeleteProgramClicked);
    connect(m_cancel, &QPushButton::clicked, this, &BrowseScreen::onCancelClicked);
    // Other users' changes list the program's records again.
    m_live = new LiveList(
        m_list, m_records, [this] { search(); }, m_host.session().changeFeed(), this);
}

void BrowseScreen::load()
{
    SkinColor::applySkinColors(this);

    QStringList names;
    StoreError error;
    if (RecordStore::programNames(m_host.session(), &names, &error))
        m_program->addItems(names);
    else
        ScreenKit::reportFailure(m_prompt, m_host.session(),
                                 tr("The program list could not be read!"), error);
    m_program->setCurrentIndex(-1);
    m_program->setEditText(QString());
}

void BrowseScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        m_program->setFocus();
}

void BrowseScreen::search()
{
    const QString program = m_program->currentText();
    if (program.isEmpty())
        return;

    ResultPages rows;
    StoreError error;
    if (!RecordStore::pagedSerialsOfProgram(m_host.session(), program, &rows, &error)) {
        m_records->clear();
        ScreenKit::reportFailure(m_prompt, m_host.session(),
                                 tr("The serials of this program could not be read!"), error);
        return;
    }
    if (rows.rowCount() > 0) {
        m_records->setRecords(std::move(rows));
    } else {
        const QString none = tr("N/A");
        m_records->setPlaceholder({none, none, none, none});
    }
}

QString BrowseScreen::program() const
{
    return m_program->currentText();
}

void BrowseScreen::showProgram(const QString& program)
{
    m_program->setEditText(program);
    onProgramChanged();
}

void BrowseScreen::returnFromEdit(bool recordChanged)
{
    m_host.closeScreensExcept(FormName);
    if (recordChanged)
        m_live->refresh();
    m_host.hostScreen(this);
}

void BrowseScreen::onProgramChanged()
{
    if (!m_program->currentText().isEmpty())
        search();
}

void BrowseScreen::onLookCloserClicked()
{
    const QString id = ScreenKit::selectedId(m_list);
    if (id.isEmpty() || m_records->isPlaceholder())
        return;
    RecordHandOver& state = recordHandOver();
    state.selectedId = id;
    state.caller = this;
    m_host.closeScreensExcept(FormName);
    m_host.hostScreen(m_host.recordScreen(ScreenHost::Screen::Edit));
}

void BrowseScreen::onDeleteProgramClicked()
{
    const QString program = m_program->currentText();
    if (program.isEmpty())
        return;
    if (!m_prompt.askYesNo(tr("Delete the selected Program?")))
        return;

    RecordStore::ProgramDeletion outcome = RecordStore::ProgramDeletion::NotFound;
    StoreError error;
    if (!RecordStore::deleteProgram(m_host.session(), program, &outcome, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The program was not deleted!"),
                                 error);
        return;
    }
    switch (outcome) {
    case RecordStore::ProgramDeletion::StillReferenced:
        m_prompt.critical(
            tr("Program has 1 or more serials referenced to it.  Delete those serials first!"));
        break;
    case RecordStore::ProgramDeletion::NotFound:
        m_prompt.critical(tr("Program Doesn't Exist and therefore cannot be deleted!"));
        break;
    case RecordStore::ProgramDeletion::Deleted:
        m_host.closeScreens();
        m_host.showBrowser();
        m_prompt.inform(tr("Program has been deleted!"));
        break;
    }
}

void BrowseScreen::onCancelClicked()
{
    m_host.closeScreens();
    m_host.showBrowser();
}
