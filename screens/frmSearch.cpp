#include "screens/frmSearch.h"

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
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <limits>

frmSearch::frmSearch(Prompt& prompt, QWidget* parent) : QWidget(parent), m_prompt(prompt)
{
    buildControls();
    load();
}

void frmSearch::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 6360, 3810);

    Frame1 = place<QGroupBox>(this, "Frame1", 120, 0, 6015, 3135);
    Frame1->setTitle(QStringLiteral("Search: "));
    setVerdana(Frame1, 9.75);
    Label1 = label(Frame1, "Label1", QStringLiteral("Keywords:"), 240, 240, 1575, 375, 9.75);
    txtKeywords = place<QLineEdit>(Frame1, "txtKeywords", 1680, 240, 2535, 375);
    txtKeywords->setMaxLength(std::numeric_limits<int>::max());
    setVerdana(txtKeywords, 9.75);
    paintEditor(txtKeywords);
    Label2 = label(Frame1, "Label2", QStringLiteral("Search By:"), 240, 720, 1215, 255, 9.75);
    cmbSearchBy = place<QComboBox>(Frame1, "cmbSearchBy", 1680, 720, 2535, 360);
    setVerdana(cmbSearchBy, 9.75);
    cmdSearch = button(Frame1, "cmdSearch", QStringLiteral("&Search"), 4560, 480, 1215, 375);
    m_results = new RecordListModel(
        {QStringLiteral("ID"), QStringLiteral("Program"), QStringLiteral("Version")}, this);
    lstSearchResults =
        listView(Frame1, "lstSearchResults", 0, 1200, 6015, 1935, m_results, {650, 3700, 1650});
    paintEditor(lstSearchResults);
    cmdCancel = button(this, "cmdCancel", QStringLiteral("&Cancel"), 600, 3240, 1695, 375);
    cmdView = button(this, "cmdView", QStringLiteral("&Look Closer"), 3720, 3240, 1695, 375);

    chainTabOrder({txtKeywords, cmbSearchBy, cmdSearch, lstSearchResults, cmdCancel, cmdView});

    connect(cmdSearch, &QPushButton::clicked, this, &frmSearch::cmdSearch_Click);
    connect(cmdView, &QPushButton::clicked, this, &frmSearch::cmdView_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSearch::cmdCancel_Click);
}

void frmSearch::load()
{
    if (programState().SkinLoaded)
        modSkin::ApplySkinColors(this);
    cmdView->setEnabled(false);
    cmbSearchBy->addItems({QStringLiteral("All"), QStringLiteral("Program"),
                           QStringLiteral("Version"), QStringLiteral("Name"),
                           QStringLiteral("Serial")});
    cmbSearchBy->setCurrentIndex(0);
}

void frmSearch::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        txtKeywords->setFocus();
}

bool frmSearch::SearchProcess(const QString& keywords, const QString& searchtype)
{
    m_results->clear();
    cmdView->setEnabled(false);

    SerialStore::Listing rows;
    const std::optional<SerialStore::SearchField> field =
        SerialStore::searchFieldFromChoice(searchtype);
    if (field) {
        QString error;
        if (!SerialStore::searchSerials(*field, keywords, &rows, &error)) {
            ScreenKit::reportFailure(m_prompt, QStringLiteral("The search could not be run!"),
                                     error);
            return false;
        }
    }
    if (rows.rowCount() > 0) {
        cmdView->setEnabled(true);
        m_results->setRecords(std::move(rows));
    } else {
        m_results->setPlaceholder(
            {QStringLiteral("No"), QStringLiteral("Results"), QStringLiteral("Found!")});
    }
    return true;
}

void frmSearch::cmdSearch_Click()
{
    if (txtKeywords->text().isEmpty() || cmbSearchBy->currentText().isEmpty())
        return;
    ProgramState& state = programState();
    state.LastKeywords = txtKeywords->text();
    state.LastSearchType = cmbSearchBy->currentText();
    // A refused search keeps the keyword, so the user can try again.
    if (SearchProcess(state.LastKeywords, state.LastSearchType))
        txtKeywords->clear();
}

void frmSearch::cmdView_Click()
{
    const QString id = ScreenKit::selectedId(lstSearchResults);
    if (id.isEmpty() || id == QLatin1String("No") || m_results->isPlaceholder())
        return;
    ProgramState& state = programState();
    state.SelectedID = id;
    state.ReturnTo = QStringLiteral("search");
    modSetParent::CloseChildScreensExcept(QStringLiteral("frmSearch"));
    Forms::Main()->hostScreen(Forms::Edit());
}

void frmSearch::cmdCancel_Click()
{
    modSetParent::CloseChildScreens();
    Forms::Main()->showBrowser();
}
