#include "screens/frmEdit.h"

#include "app/Forms.h"
#include "app/ProgramState.h"
#include "app/Prompt.h"
#include "app/frmMain.h"
#include "app/modSetParent.h"
#include "screens/ScreenKit.h"
#include "screens/frmBrowse.h"
#include "screens/frmSearch.h"
#include "skins/modSkin.h"
#include "store/SerialStore.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace {

const QString RecordGoneMessage = QStringLiteral(
    "The selected record no longer exists!  It was deleted after the list was shown.");

} // namespace

frmEdit::frmEdit(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{
    buildControls();
    load();
}

void frmEdit::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 5820, 3195);

    Label3 = label(this, "Label3", QStringLiteral("Version:"), 1560, 600, 975, 255, 8.25);
    Label4 =
        label(this, "Label4", QStringLiteral("Registration Name:"), 480, 1080, 2055, 255, 8.25);
    Label6 = label(this, "Label6", QStringLiteral("Serial Number:"), 840, 1560, 1545, 225, 8.25);
    // The labels end close to the boxes on their right.
    for (QLabel* caption : {Label3, Label4, Label6})
        caption->setAlignment(Qt::AlignRight | Qt::AlignTop);
    txtVersion = place<QLineEdit>(this, "txtVersion", 2640, 600, 1335, 300);
    txtName = place<QLineEdit>(this, "txtName", 2640, 1080, 2970, 285);
    txtSerial = place<QPlainTextEdit>(this, "txtSerial", 2640, 1560, 2985, 900);
    txtSerial->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cmdCancel = button(this, "cmdCancel", QStringLiteral("&Cancel"), 720, 2640, 1575, 375);
    cmdDelete = button(this, "cmdDelete", QStringLiteral("&Delete Serial"), 2400, 2640, 1575, 375);
    cmdSave = button(this, "cmdSave", QStringLiteral("&Save Changes"), 4080, 2640, 1575, 375);

    setVerdana(txtVersion, 9.75);
    setVerdana(txtName, 9.75);
    setVerdana(txtSerial, 8.25);
    for (QWidget* box : {static_cast<QWidget*>(txtVersion), static_cast<QWidget*>(txtName),
                         static_cast<QWidget*>(txtSerial)})
        paintEditor(box);
    for (QLineEdit* box : {txtVersion, txtName})
        box->setMaxLength(std::numeric_limits<int>::max());

    chainTabOrder({txtVersion, txtName, txtSerial, cmdCancel, cmdDelete, cmdSave});
    bindEscape(this, cmdCancel);

    connect(cmdSave, &QPushButton::clicked, this, &frmEdit::cmdSave_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmEdit::cmdDelete_Click);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { returnToCaller(false); });
}

void frmEdit::load()
{
    if (programState().SkinLoaded)
        modSkin::ApplySkinColors(this);

    std::optional<SerialStore::SerialRecord> record;
    QString error;
    if (!SerialStore::loadSerial(programState().SelectedID, &record, &error)) {
        ScreenKit::reportFailure(m_prompt, QStringLiteral("The record could not be read!"), error);
        return;
    }
    // A record that is gone leaves the boxes empty.
    if (record) {
        txtVersion->setText(record->version);
        txtName->setText(record->name);
        ScreenKit::setPlainText(txtSerial, record->serial);
    }
}

void frmEdit::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        txtVersion->setFocus();
}

void frmEdit::cmdSave_Click()
{
    const QString version = txtVersion->text();
    const QString name = txtName->text();
    const QString serial = ScreenKit::plainText(txtSerial);
    if (version.isEmpty() || name.isEmpty() || serial.isEmpty())
        return;
    if (!m_prompt.askYesNo(QStringLiteral("Apply Edit?"), QStringLiteral("Apply Edit?")))
        return;

    bool found = false;
    QString error;
    if (!SerialStore::updateSerial(programState().SelectedID, version, name, serial,
                                   QDateTime::currentDateTime(), &found, &error)) {
        ScreenKit::reportFailure(m_prompt, QStringLiteral("The changes were not saved!"), error);
        return;
    }
    if (!found)
        m_prompt.critical(RecordGoneMessage);
    returnToCaller(true);
}

void frmEdit::cmdDelete_Click()
{
    if (!m_prompt.askYesNo(QStringLiteral("Are you sure you want to delete the selected record?"),
                           QStringLiteral("Delete Selected Record?")))
        return;

    bool found = false;
    QString error;
    if (!SerialStore::deleteSerial(programState().SelectedID, &found, &error)) {
        ScreenKit::reportFailure(m_prompt, QStringLiteral("The record was not deleted!"), error);
        return;
    }
    if (!found)
        m_prompt.critical(RecordGoneMessage);
    returnToCaller(true);
}

void frmEdit::returnToCaller(bool refresh)
{
    const ProgramState& state = programState();
    if (state.ReturnTo == QLatin1String("browse")) {
        modSetParent::CloseChildScreensExcept(QStringLiteral("frmBrowse"));
        frmBrowse* browse = Forms::Browse();
        if (refresh)
            browse->search();
        Forms::Main()->hostScreen(browse);
    } else if (state.ReturnTo == QLatin1String("search")) {
        modSetParent::CloseChildScreensExcept(QStringLiteral("frmSearch"));
        frmSearch* search = Forms::Search();
        if (refresh)
            search->SearchProcess(state.LastKeywords, state.LastSearchType);
        Forms::Main()->hostScreen(search);
    }
}
