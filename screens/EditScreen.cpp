#include "screens/EditScreen.h"

#include "screens/DetailsDialog.h"
#include "screens/EditCaller.h"
#include "screens/RecordHandOver.h"
#include "screens/ScreenKit.h"
#include "store/records/RecordRule.h"
#include "store/records/RecordStore.h"
#include "ui/FieldCaptions.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace {

// Another user (or another window) deleted it after the list was shown.
const char* const RecordGoneMessage =
    QT_TRANSLATE_NOOP("EditScreen", "The record no longer exists.");

} // namespace

EditScreen::EditScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host), m_id(recordHandOver().selectedId)
{
    buildControls();
    load();
}

void EditScreen::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 5820, 3195);

    // The labels end close to the boxes on their right.
    for (QLabel* caption :
         {label(this, "Label3", tr("Version:"), 1560, 600, 975, 255, 8.25),
          label(this, "Label4", tr("Registration Name:"), 480, 1080, 2055, 255, 8.25),
          label(this, "Label6", tr("Serial Number:"), 840, 1560, 1545, 225, 8.25)})
        caption->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_version = place<QLineEdit>(this, "txtVersion", 2640, 600, 1335, 300);
    m_name = place<QLineEdit>(this, "txtName", 2640, 1080, 2970, 285);
    m_serial = place<QPlainTextEdit>(this, "txtSerial", 2640, 1560, 2985, 900);
    m_serial->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab leaves the box; a tab character can still be pasted into it.
    m_serial->setTabChangesFocus(true);
    m_cancel = button(this, "cmdCancel", tr("&Cancel"), 720, 2640, 1575, 375);
    m_delete = button(this, "cmdDelete", tr("&Delete Serial"), 2400, 2640, 1575, 375);
    m_save = button(this, "cmdSave", tr("&Save Changes"), 4080, 2640, 1575, 375);
    // Under the serial's caption, beside its box.
    m_copy = button(this, "cmdCopy", tr("Co&py"), 1440, 1860, 945, 375);
    m_copy->setToolTip(tr("Copy the serial; the clipboard is cleared again after a while"));
    // Beside the version, where the row has room.
    m_details = button(this, "cmdDetails", tr("De&tails..."), 4080, 562, 1545, 375);
    m_details->setToolTip(tr("E-mail, address, dates, seats, order number and notes"));

    setVerdana(m_version, 9.75);
    setVerdana(m_name, 9.75);
    setVerdana(m_serial, 8.25);
    for (QWidget* box : {static_cast<QWidget*>(m_version), static_cast<QWidget*>(m_name),
                         static_cast<QWidget*>(m_serial)})
        paintEditor(box);
    for (QLineEdit* box : {m_version, m_name})
        box->setMaxLength(std::numeric_limits<int>::max());

    chainTabOrder({m_version, m_details, m_name, m_serial, m_copy, m_cancel, m_delete, m_save});
    bindEscape(this, m_cancel);
    FieldCaptions::attach(this, {{"Label3", m_version}, {"Label4", m_name}, {"Label6", m_serial}});

    connect(m_save, &QPushButton::clicked, this, &EditScreen::onSaveClicked);
    connect(m_delete, &QPushButton::clicked, this, &EditScreen::onDeleteClicked);
    connect(m_cancel, &QPushButton::clicked, this, &EditScreen::onCancelClicked);
    connect(m_copy, &QPushButton::clicked, this, &EditScreen::copySerial);
    connect(m_details, &QPushButton::clicked, this, &EditScreen::openDetails);
}

void EditScreen::load()
{
    SkinColor::applySkinColors(this);

    std::optional<RecordStore::SerialRecord> record;
    StoreError error;
    if (!RecordStore::loadSerial(m_host.session(), m_id, &record, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The record could not be read!"),
                                 error);
        return;
    }
    // A record that is gone leaves the boxes empty.
    if (record) {
        m_program = record->program;
        m_version->setText(record->version);
        m_name->setText(record->name);
        ScreenKit::setPlainText(m_serial, record->serial);
        if (!RecordDetailsStore::load(m_host.session(), m_id.toLongLong(), &m_storedDetails,
                                      &error))
            ScreenKit::reportFailure(m_prompt, m_host.session(),
                                     tr("The details of the record could not be read!"), error);
    }
    m_details->setEnabled(record.has_value());
}

bool EditScreen::hasUnsavedChanges() const
{
    return m_version->isModified() || m_name->isModified() || m_serial->document()->isModified() ||
           m_changedDetails.has_value();
}

EditScreen::Typing EditScreen::typing() const
{
    Typing kept;
    if (m_version->isModified())
        kept.version = m_version->text();
    if (m_name->isModified())
        kept.name = m_name->text();
    if (m_serial->document()->isModified())
        kept.serial = ScreenKit::plainText(m_serial);
    kept.details = m_changedDetails;
    return kept;
}

void EditScreen::restoreTyping(const Typing& typing)
{
    if (typing.version) {
        m_version->setText(*typing.version);
        m_version->setModified(true);
    }
    if (typing.name) {
        m_name->setText(*typing.name);
        m_name->setModified(true);
    }
    if (typing.serial) {
        ScreenKit::setPlainText(m_serial, *typing.serial);
        m_serial->document()->setModified(true);
    }
    if (typing.details)
        m_changedDetails = typing.details;
}

QString EditScreen::copySerial()
{
    return ScreenKit::copySecret(m_host, m_copy, ScreenKit::plainText(m_serial));
}

QWidget* EditScreen::openDetails()
{
    const QString title = m_version->text().isEmpty()
                              ? m_program
                              : QStringLiteral("%1 %2").arg(m_program, m_version->text());
    auto* dialog =
        new DetailsDialog(m_prompt, m_changedDetails.value_or(m_storedDetails), title, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        const RecordDetails accepted = dialog->details();
        if (accepted == m_storedDetails)
            m_changedDetails.reset();
        else
            m_changedDetails = accepted;
    });
    dialog->open();
    return dialog;
}

void EditScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        m_version->setFocus();
}

void EditScreen::onSaveClicked()
{
    const QString version = m_version->text();
    const QString name = m_name->text();
    const QString serial = ScreenKit::plainText(m_serial);
    // Version and name may be left empty; what the record rule refuses is said, not ignored.
    const QString problem = RecordRule::detailsProblem(version, name, serial);
    if (!problem.isEmpty()) {
        m_prompt.message({problem, tr("Error!"), PromptButtons::Ok, PromptIcon::Critical});
        return;
    }
    if (!ScreenKit::confirmNewSerial(m_prompt, m_host.session(), m_program, serial,
                                     m_id.toLongLong()))
        return;
    if (!m_prompt.askYesNo(tr("Apply Edit?"), tr("Apply Edit?")))
        return;

    bool found = false;
    StoreError error;
    if (!RecordStore::updateSerial(m_host.session(), m_id, version, name, serial,
                                   QDateTime::currentDateTime(), &found, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The changes were not saved!"),
                                 error);
        return;
    }
    // A record that is gone takes no details; one still there gets them after its fields.
    if (found && m_changedDetails) {
        if (!RecordDetailsStore::save(m_host.session(), m_id.toLongLong(), *m_changedDetails,
                                      &found, &error)) {
            ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The details were not saved!"),
                                     error);
            return;
        }
        m_storedDetails = *m_changedDetails;
        m_changedDetails.reset();
    }
    if (!found)
        m_prompt.critical(tr(RecordGoneMessage));
    returnToCaller(true);
}

void EditScreen::onCancelClicked()
{
    // Cancel drops the boxes' typing, as it always did; details accepted in their dialog are
    // not dropped without a word, since the dialog's OK looked like keeping them.
    if (!m_changedDetails ||
        !m_prompt.askYesNo(tr("Save the licence details you entered?"), tr("Save Details?"))) {
        returnToCaller(false);
        return;
    }
    bool found = false;
    StoreError error;
    if (!RecordDetailsStore::save(m_host.session(), m_id.toLongLong(), *m_changedDetails, &found,
                                  &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The details were not saved!"),
                                 error);
        return;
    }
    if (!found)
        m_prompt.critical(tr(RecordGoneMessage));
    returnToCaller(found);
}

void EditScreen::onDeleteClicked()
{
    if (!m_prompt.askYesNo(tr("Are you sure you want to delete the selected record?"),
                           tr("Delete Selected Record?")))
        return;

    bool found = false;
    StoreError error;
    if (!RecordStore::deleteSerial(m_host.session(), m_id, &found, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The record was not deleted!"),
                                 error);
        return;
    }
    if (!found)
        m_prompt.critical(tr(RecordGoneMessage));
    returnToCaller(true);
}

void EditScreen::returnToCaller(bool recordChanged)
{
    if (EditCaller* caller = recordHandOver().caller) {
        caller->returnFromEdit(recordChanged);
        return;
    }
    m_host.closeScreens();
    m_host.showBrowser();
}
