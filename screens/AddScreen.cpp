#include "screens/AddScreen.h"

#include "screens/ChosenOnlyDelegate.h"
#include "screens/DetailsDialog.h"
#include "screens/RecordHandOver.h"
#include "screens/ScreenKit.h"
#include "store/DatabaseSession.h"
#include "store/records/RecordDetails.h"
#include "store/records/RecordRule.h"
#include "store/records/RecordStore.h"
#include "ui/FieldCaptions.h"
#include "ui/Look.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace {

const char* const NewProgramEntry = QT_TRANSLATE_NOOP("AddScreen", "New Program");
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

    label(this, "Label1", tr("Program:"), 120, 120, 2760, 195, 8.25);
    label(this, "Label2", tr(" (New Program if not listed)"), 0, 360, 2775, 255, 8.25);
    m_programs = place<QListWidget>(this, "lstSelect", 120, 600, 2655, 1980);
    m_programs->setSelectionMode(QAbstractItemView::SingleSelection);
    // Only a chosen entry is drawn as chosen: the keyboard cursor on an entry nobody chose
    // yet is not highlighted.
    m_programs->setItemDelegate(new ChosenOnlyDelegate(m_programs));
    m_newProgramLabel =
        label(this, "lblPName", tr("New Program Name:"), 120, 2640, 2535, 255, 8.25);
    m_newProgram = place<QLineEdit>(this, "txtNewProg", 120, 2880, 2655, 345);
    label(this, "Label3", tr("Version:"), 3240, 120, 1095, 255, 8.25);
    m_version = place<QLineEdit>(this, "txtVersion", 3240, 360, 1425, 345);
    label(this, "Label4", tr("Name:"), 3240, 840, 1575, 255, 8.25);
    m_name = place<QLineEdit>(this, "txtName", 3240, 1080, 2655, 345);
    label(this, "Label6", tr("Serial:"), 3240, 1560, 1815, 255, 8.25);
    m_serial = place<QPlainTextEdit>(this, "txtSerial", 3240, 1800, 2655, 930);
    m_serial->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the box; a tab character can still be pasted into it.
    m_serial->setTabChangesFocus(true);
    m_cancel = button(this, "cmdCancel", tr("&Cancel"), 3360, 2880, 1095, 375);
    m_ok = button(this, "cmdOK", tr("&Ok"), 4680, 2880, 1095, 375);

    for (QWidget* editor : {static_cast<QWidget*>(m_programs), static_cast<QWidget*>(m_version),
                            static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_serial)}) {
        setVerdana(editor, 8.25);
        paintEditor(editor);
    }
    // The new-name box keeps the screen's own font and shows its text in orange.
    paintEditor(m_newProgram);
    Look::setForeColor(m_newProgram, Look::Orange);
    for (QLineEdit* box : {m_newProgram, m_version, m_name})
        box->setMaxLength(std::numeric_limits<int>::max());

    chainTabOrder({m_programs, m_newProgram, m_version, m_name, m_serial, m_cancel, m_ok});
    bindEscape(this, m_cancel);
    FieldCaptions::attach(this, {{"Label1", m_programs},
                                 {"lblPName", m_newProgram},
                                 {"Label3", m_version},
                                 {"Label4", m_name},
                                 {"Label6", m_serial}});
    // The note under the caption says what the list's first entry is for.
    m_programs->setAccessibleDescription(findChild<QLabel*>("Label2")->text().trimmed());

    connect(m_programs, &QListWidget::itemSelectionChanged, this, &AddScreen::onProgramListClicked);
    connect(m_ok, &QPushButton::clicked, this, &AddScreen::onOkClicked);
    connect(m_cancel, &QPushButton::clicked, this, &AddScreen::onCancelClicked);
}

void AddScreen::load()
{
    SkinColor::applySkinColors(this);
    m_programs->addItem(tr(NewProgramEntry));
    m_newProgram->setVisible(false);
    m_newProgramLabel->setVisible(false);
    m_newProgram->setEnabled(false);

    QStringList names;
    StoreError error;
    if (RecordStore::programNames(m_host.session(), &names, &error))
        m_programs->addItems(names);
    else
        ScreenKit::reportFailure(m_prompt, m_host.session(),
                                 tr("The program list could not be read!"), error);
}

void AddScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        m_programs->setFocus();
}

void AddScreen::onProgramListClicked()
{
    const QList<QListWidgetItem*> selected = m_programs->selectedItems();
    if (selected.isEmpty())
        return;
    if (m_programs->row(selected.first()) != NewProgramRow) {
        m_newProgram->setEnabled(false);
        m_newProgram->setVisible(false);
        m_newProgramLabel->setVisible(false);
    } else if (!m_newProgram->isEnabled()) {
        m_newProgram->clear();
        m_newProgram->setEnabled(true);
        m_newProgram->setVisible(true);
        m_newProgramLabel->setVisible(true);
    }
}

void AddScreen::onOkClicked()
{
    const QList<QListWidgetItem*> selected = m_programs->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_programs->row(selected.first());
    RecordStore::NewSerial record;
    record.version = m_version->text();
    record.name = m_name->text();
    record.serial = ScreenKit::plainText(m_serial);
    const QString newName = m_newProgram->text();
    // Nothing chosen leaves the program empty, which the record rule refuses.
    const bool newProgram = row == NewProgramRow;
    if (newProgram)
        record.program = newName;
    else if (row > NewProgramRow)
        record.program = selected.first()->text();
    const QString problem =
        RecordRule::problem(record.program, record.version, record.name, record.serial);
    if (!problem.isEmpty()) {
        m_prompt.message({problem, tr("Error!"), PromptButtons::Ok, PromptIcon::Critical});
        return;
    }

    if (!ScreenKit::confirmNewSerial(m_prompt, m_host.session(), record.program, record.serial))
        return;

    StoreError error;
    QString storedUnder;
    qlonglong newId = 0;
    if (!RecordStore::addSerial(m_host.session(), record, newProgram, QDateTime::currentDateTime(),
                                &error, &storedUnder, &newId)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The serial was not added!"),
                                 error);
        return;
    }

    // A new name that matches a listed program apart from letter case went under that one.
    QString successText = tr("Serial Successfully Added!");
    if (newProgram && storedUnder != record.program)
        successText += tr("  It was stored under the existing program \"%1\".").arg(storedUnder);
    PromptMessage success{successText, tr("Success!"), PromptButtons::Ok, PromptIcon::None};
    if (m_quickAdd) {
        m_host.session().close();
        m_prompt.message(success);
        m_host.endProgram();
        return;
    }
    // The screen is unloaded before the message: what the details need is taken first.
    Prompt& prompt = m_prompt;
    DatabaseSession& session = m_host.session();
    QWidget* window = this->window();
    const QString title = QStringLiteral("%1 %2").arg(storedUnder, record.version).trimmed();
    m_host.closeScreens();
    m_host.showBrowser();
    success.otherButton = tr("&Details...");
    if (prompt.message(success) == PromptAnswer::Other)
        addDetails(prompt, session, newId, title, window);
}

void AddScreen::addDetails(Prompt& prompt, DatabaseSession& session, qlonglong id,
                           const QString& title, QWidget* parent)
{
    DetailsDialog dialog(prompt, RecordDetails(), title, parent);
    if (dialog.exec() != QDialog::Accepted || dialog.details().isEmpty())
        return;
    bool found = false;
    StoreError error;
    if (!RecordDetailsStore::save(session, id, dialog.details(), &found, &error))
        ScreenKit::reportFailure(prompt, session, tr("The details were not saved!"), error);
    else if (!found)
        prompt.critical(tr("The record no longer exists."));
}

void AddScreen::startQuickAdd(const QString& serial)
{
    m_quickAdd = true;
    m_serial->setPlainText(serial);
}

void AddScreen::fillSerial(const QString& serial)
{
    m_serial->setPlainText(serial);
}

bool AddScreen::holdsTyping() const
{
    for (const QString& text :
         {m_newProgram->text(), m_version->text(), m_name->text(), m_serial->toPlainText()}) {
        if (!text.trimmed().isEmpty())
            return true;
    }
    return false;
}

AddScreen::Typing AddScreen::typing() const
{
    Typing kept;
    const QList<QListWidgetItem*> selected = m_programs->selectedItems();
    const int row = selected.isEmpty() ? -1 : m_programs->row(selected.first());
    kept.newProgramChosen = row == NewProgramRow;
    if (row > NewProgramRow)
        kept.program = selected.first()->text();
    kept.newProgram = m_newProgram->text();
    kept.version = m_version->text();
    kept.name = m_name->text();
    kept.serial = ScreenKit::plainText(m_serial);
    kept.quickAdd = m_quickAdd;
    return kept;
}

void AddScreen::restoreTyping(const Typing& typing)
{
    if (typing.newProgramChosen) {
        m_programs->setCurrentRow(NewProgramRow);
    } else if (!typing.program.isEmpty()) {
        const QList<QListWidgetItem*> named =
            m_programs->findItems(typing.program, Qt::MatchExactly);
        for (QListWidgetItem* item : named) {
            if (m_programs->row(item) > NewProgramRow) {
                m_programs->setCurrentItem(item);
                break;
            }
        }
    }
    m_newProgram->setText(typing.newProgram);
    m_version->setText(typing.version);
    m_name->setText(typing.name);
    ScreenKit::setPlainText(m_serial, typing.serial);
    m_quickAdd = typing.quickAdd;
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
