#include "screens/EditScreen.h"

#include "screens/BrowseScreen.h"
#include "screens/RecordHandOver.h"
#include "screens/ScreenKit.h"
#include "screens/SearchScreen.h"
#include "store/RecordRule.h"
#include "store/RecordStore.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <limits>

namespace {

// Another user (or another window) deleted it after the list was shown.
const QString RecordGoneMessage = QStringLiteral("The record no longer exists.");

} // namespace

EditScreen::EditScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    buildControls();
    load();
}

void EditScreen::buildControls()
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
    // Tab leaves the box; a tab character can still be pasted into it.
    txtSerial->setTabChangesFocus(true);
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

    connect(cmdSave, &QPushButton::clicked, this, &EditScreen::onSaveClicked);
    connect(cmdDelete, &QPushButton::clicked, this, &EditScreen::onDeleteClicked);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { returnToCaller(false); });
}

void EditScreen::load()
{
    SkinColor::applySkinColors(this);

    std::optional<RecordStore::SerialRecord> record;
    StoreError error;
    if (!RecordStore::loadSerial(m_host.session(), recordHandOver().selectedId, &record, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The record could not be read!"), error);
        return;
    }
    // A record that is gone leaves the boxes empty.
    if (record) {
        txtVersion->setText(record->version);
        txtName->setText(record->name);
        ScreenKit::setPlainText(txtSerial, record->serial);
    }
}

void EditScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        txtVersion->setFocus();
}

void EditScreen::onSaveClicked()
{
    const QString version = txtVersion->text();
    const QString name = txtName->text();
    const QString serial = ScreenKit::plainText(txtSerial);
    // Version and name may be left empty; what the record rule refuses is said, not ignored.
    const QString problem = RecordRule::detailsProblem(version, name, serial);
    if (!problem.isEmpty()) {
        m_prompt.message(
            {problem, QStringLiteral("Error!"), PromptButtons::Ok, PromptIcon::Critical});
        return;
    }
    if (!m_prompt.askYesNo(QStringLiteral("Apply Edit?"), QStringLiteral("Apply Edit?")))
        return;

    bool found = false;
    StoreError error;
    if (!RecordStore::updateSerial(m_host.session(), recordHandOver().selectedId, version, name, serial,
                                   QDateTime::currentDateTime(), &found, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The changes were not saved!"), error);
        return;
    }
    if (!found)
        m_prompt.critical(RecordGoneMessage);
    returnToCaller(true);
}

void EditScreen::onDeleteClicked()
{
    if (!m_prompt.askYesNo(QStringLiteral("Are you sure you want to delete the selected record?"),
                           QStringLiteral("Delete Selected Record?")))
        return;

    bool found = false;
    StoreError error;
    if (!RecordStore::deleteSerial(m_host.session(), recordHandOver().selectedId, &found, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The record was not deleted!"), error);
        return;
    }
    if (!found)
        m_prompt.critical(RecordGoneMessage);
    returnToCaller(true);
}

void EditScreen::returnToCaller(bool refresh)
{
    const RecordHandOver& state = recordHandOver();
    if (state.returnTo == QLatin1String("browse")) {
        m_host.closeScreensExcept(QStringLiteral("frmBrowse"));
        auto* browse = static_cast<BrowseScreen*>(m_host.recordScreen(ScreenHost::Screen::Browse));
        if (refresh)
            browse->search();
        m_host.hostScreen(browse);
    } else if (state.returnTo == QLatin1String("search")) {
        m_host.closeScreensExcept(QStringLiteral("frmSearch"));
        auto* search = static_cast<SearchScreen*>(m_host.recordScreen(ScreenHost::Screen::Search));
        if (refresh)
            search->runSearch(state.lastKeywords, state.lastSearchType);
        m_host.hostScreen(search);
    }
}
