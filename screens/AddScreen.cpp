#include "screens/AddScreen.h"

#include "screens/ChosenOnlyDelegate.h"
#include "screens/RecordHandOver.h"
#include "screens/ScreenKit.h"
#include "store/DatabaseSession.h"
#include "store/RecordRule.h"
#include "store/RecordStore.h"
#include "ui/Look.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace {

const QString NewProgramEntry = QStringLiteral("New Program");
// The first entry of the list is the "New Program" choice, whatever the names after it.
constexpr int NewProgramRow = 0;

} // namespace

AddScreen::AddScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    buildControls();
    load();
}

void AddScreen::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 6270, 3375);

    Label1 = label(this, "Label1", QStringLiteral("Program:"), 120, 120, 2760, 195, 8.25);
    Label2 = label(this, "Label2", QStringLiteral(" (New Program if not listed)"), 0, 360, 2775,
                   255, 8.25);
    lstSelect = place<QListWidget>(this, "lstSelect", 120, 600, 2655, 1980);
    lstSelect->setSelectionMode(QAbstractItemView::SingleSelection);
    // Only a chosen entry is drawn as chosen: the keyboard cursor on an entry nobody chose
    // yet is not highlighted.
    lstSelect->setItemDelegate(new ChosenOnlyDelegate(lstSelect));
    lblPName =
        label(this, "lblPName", QStringLiteral("New Program Name:"), 120, 2640, 2535, 255, 8.25);
    txtNewProg = place<QLineEdit>(this, "txtNewProg", 120, 2880, 2655, 345);
    Label3 = label(this, "Label3", QStringLiteral("Version:"), 3240, 120, 1095, 255, 8.25);
    txtVersion = place<QLineEdit>(this, "txtVersion", 3240, 360, 1425, 345);
    Label4 = label(this, "Label4", QStringLiteral("Name:"), 3240, 840, 1575, 255, 8.25);
    txtName = place<QLineEdit>(this, "txtName", 3240, 1080, 2655, 345);
    Label6 = label(this, "Label6", QStringLiteral("Serial:"), 3240, 1560, 1815, 255, 8.25);
    txtSerial = place<QPlainTextEdit>(this, "txtSerial", 3240, 1800, 2655, 930);
    txtSerial->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the box; a tab character can still be pasted into it.
    txtSerial->setTabChangesFocus(true);
    cmdCancel = button(this, "cmdCancel", QStringLiteral("&Cancel"), 3360, 2880, 1095, 375);
    cmdOK = button(this, "cmdOK", QStringLiteral("&Ok"), 4680, 2880, 1095, 375);

    for (QWidget* editor : {static_cast<QWidget*>(lstSelect), static_cast<QWidget*>(txtVersion),
                            static_cast<QWidget*>(txtName), static_cast<QWidget*>(txtSerial)}) {
        setVerdana(editor, 8.25);
        paintEditor(editor);
    }
    // The new-name box keeps the screen's own font and shows its text in orange.
    paintEditor(txtNewProg);
    Look::setForeColor(txtNewProg, Look::Orange);
    for (QLineEdit* box : {txtNewProg, txtVersion, txtName})
        box->setMaxLength(std::numeric_limits<int>::max());

    chainTabOrder({lstSelect, txtNewProg, txtVersion, txtName, txtSerial, cmdCancel, cmdOK});
    bindEscape(this, cmdCancel);

    connect(lstSelect, &QListWidget::itemSelectionChanged, this, &AddScreen::onProgramListClicked);
    connect(cmdOK, &QPushButton::clicked, this, &AddScreen::onOkClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &AddScreen::onCancelClicked);
}

void AddScreen::load()
{
    SkinColor::applySkinColors(this);
    lstSelect->addItem(NewProgramEntry);
    txtNewProg->setVisible(false);
    lblPName->setVisible(false);
    txtNewProg->setEnabled(false);

    QStringList names;
    StoreError error;
    if (RecordStore::programNames(m_host.session(), &names, &error))
        lstSelect->addItems(names);
    else
        ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The program list could not be read!"),
                                 error);
}

void AddScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        lstSelect->setFocus();
}

void AddScreen::onProgramListClicked()
{
    const QList<QListWidgetItem*> selected = lstSelect->selectedItems();
    if (selected.isEmpty())
        return;
    if (lstSelect->row(selected.first()) != NewProgramRow) {
        txtNewProg->setEnabled(false);
        txtNewProg->setVisible(false);
        lblPName->setVisible(false);
    } else if (!txtNewProg->isEnabled()) {
        txtNewProg->clear();
        txtNewProg->setEnabled(true);
        txtNewProg->setVisible(true);
        lblPName->setVisible(true);
    }
}

void AddScreen::onOkClicked()
{
    const QList<QListWidgetItem*> selected = lstSelect->selectedItems();
    const int row = selected.isEmpty() ? -1 : lstSelect->row(selected.first());
    RecordStore::NewSerial record;
    record.version = txtVersion->text();
    record.name = txtName->text();
    record.serial = ScreenKit::plainText(txtSerial);
    const QString newName = txtNewProg->text();
    // Nothing chosen leaves the program empty, which the record rule refuses.
    const bool newProgram = row == NewProgramRow;
    if (newProgram)
        record.program = newName;
    else if (row > NewProgramRow)
        record.program = selected.first()->text();
    const QString problem =
        RecordRule::problem(record.program, record.version, record.name, record.serial);
    if (!problem.isEmpty()) {
        m_prompt.message(
            {problem, QStringLiteral("Error!"), PromptButtons::Ok, PromptIcon::Critical});
        return;
    }

    if (!confirmNewSerial(record.program, record.serial))
        return;

    StoreError error;
    QString storedUnder;
    if (!RecordStore::addSerial(m_host.session(), record, newProgram, QDateTime::currentDateTime(), &error,
                                &storedUnder)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The serial was not added!"), error);
        return;
    }

    // A new name that matches a listed program apart from letter case went under that one.
    QString successText = QStringLiteral("Serial Successfully Added!");
    if (newProgram && storedUnder != record.program)
        successText +=
            QStringLiteral("  It was stored under the existing program \"%1\".").arg(storedUnder);
    const PromptMessage success{successText, QStringLiteral("Success!"), PromptButtons::Ok,
                                PromptIcon::None};
    if (m_quickAdd) {
        m_host.session().close();
        m_prompt.message(success);
        m_host.endProgram();
        return;
    }
    m_host.closeScreens();
    m_host.showBrowser();
    m_prompt.message(success);
}

bool AddScreen::confirmNewSerial(const QString& program, const QString& serial)
{
    std::optional<RecordStore::StoredRecord> match;
    StoreError error;
    // When the lookup fails the addition fails too, and says why.
    if (!RecordStore::findDuplicateSerial(m_host.session(), program, serial, &match, &error) || !match)
        return true;
    return m_prompt.askYesNo(
        QStringLiteral("This serial is already stored for %1. Add it anyway?")
            .arg(RecordRule::title(match->record.program, match->record.version,
                                   match->record.name)));
}

void AddScreen::startQuickAdd(const QString& serial)
{
    m_quickAdd = true;
    txtSerial->setPlainText(serial);
}

void AddScreen::fillSerial(const QString& serial)
{
    txtSerial->setPlainText(serial);
}

void AddScreen::onCancelClicked()
{
    if (m_quickAdd) {
        // A quick add runs the program for this one record: leaving the screen ends it.
        m_host.session().close();
        m_host.endProgram();
        return;
    }
    m_host.closeScreens();
    m_host.showBrowser();
}
