#include "screens/SearchScreen.h"

#include "screens/EditScreen.h"
#include "screens/LiveList.h"
#include "screens/RecordHandOver.h"
#include "screens/RecordListModel.h"
#include "screens/ScreenKit.h"
#include "store/DatabaseSession.h"
#include "store/RecordStore.h"
#include "store/SearchWorker.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>

#include <limits>

SearchScreen::SearchScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    buildControls();
    load();
}

void SearchScreen::buildControls()
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

    connect(cmdSearch, &QPushButton::clicked, this, &SearchScreen::onSearchClicked);
    connect(cmdView, &QPushButton::clicked, this, &SearchScreen::onLookCloserClicked);
    connect(lstSearchResults, &QTreeView::doubleClicked, this, &SearchScreen::onLookCloserClicked);
    connect(cmdCancel, &QPushButton::clicked, this, &SearchScreen::onCancelClicked);

    m_worker = new SearchWorker(m_host.session(), this);
    connect(m_worker, &SearchWorker::searchFound, this, &SearchScreen::showFound);
    connect(m_worker, &SearchWorker::searchFailed, this, &SearchScreen::showFailure);
    connect(m_worker, &SearchWorker::searchCancelled, this, &SearchScreen::showCancelled);
    // Other users' changes run the last search again.
    new LiveList(
        lstSearchResults, m_results,
        [this] { runSearch(recordHandOver().lastKeywords, recordHandOver().lastSearchType); },
        m_host.session().changeFeed(), this);
}

void SearchScreen::load()
{
    SkinColor::applySkinColors(this);
    cmdView->setEnabled(false);
    cmbSearchBy->addItems({QStringLiteral("All"), QStringLiteral("Program"),
                           QStringLiteral("Version"), QStringLiteral("Name"),
                           QStringLiteral("Serial")});
    cmbSearchBy->setCurrentIndex(0);
}

void SearchScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        txtKeywords->setFocus();
}

void SearchScreen::hideEvent(QHideEvent* event)
{
    m_worker->release();
    QWidget::hideEvent(event);
}

void SearchScreen::keyPressEvent(QKeyEvent* event)
{
    // A key no control used reaches the screen; an open drop-down list keeps its Escape.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        m_worker->isRunning()) {
        m_worker->cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool SearchScreen::isSearching() const
{
    return m_worker->isRunning();
}

bool SearchScreen::runSearch(const QString& keywords, const QString& searchtype)
{
    m_results->clear();
    cmdView->setEnabled(false);

    const std::optional<RecordStore::SearchField> field =
        RecordStore::searchFieldFromChoice(searchtype);
    if (!field) {
        m_worker->cancel();
        showFound(ResultPages());
        return true;
    }
    m_runningKeywords = keywords;
    m_worker->start(*field, keywords);
    if (m_worker->finishWithin(m_patienceMs))
        return m_lastSearchOk;
    m_results->setPlaceholder({QString(), QStringLiteral("Searching... (Esc cancels)"), QString()});
    return true;
}

void SearchScreen::showFound(const ResultPages& found)
{
    m_lastSearchOk = true;
    if (found.rowCount() > 0) {
        cmdView->setEnabled(true);
        m_results->setRecords(found);
    } else {
        m_results->setPlaceholder(
            {QStringLiteral("No"), QStringLiteral("Results"), QStringLiteral("Found!")});
    }
}

void SearchScreen::showFailure(const StoreError& error)
{
    m_lastSearchOk = false;
    m_results->clear();
    // A refused search keeps the keyword, so the user can try again.
    if (txtKeywords->text().isEmpty())
        txtKeywords->setText(m_runningKeywords);
    ScreenKit::reportFailure(m_prompt, m_host.session(), QStringLiteral("The search could not be run!"), error);
}

void SearchScreen::showCancelled()
{
    m_results->setPlaceholder({QString(), QStringLiteral("Search cancelled"), QString()});
    if (txtKeywords->text().isEmpty())
        txtKeywords->setText(m_runningKeywords);
}

void SearchScreen::onSearchClicked()
{
    if (txtKeywords->text().isEmpty() || cmbSearchBy->currentText().isEmpty())
        return;
    RecordHandOver& state = recordHandOver();
    state.lastKeywords = txtKeywords->text();
    state.lastSearchType = cmbSearchBy->currentText();
    // A refused search keeps the keyword, so the user can try again.
    if (runSearch(state.lastKeywords, state.lastSearchType))
        txtKeywords->clear();
}

void SearchScreen::onLookCloserClicked()
{
    const QString id = ScreenKit::selectedId(lstSearchResults);
    if (id.isEmpty() || id == QLatin1String("No") || m_results->isPlaceholder())
        return;
    RecordHandOver& state = recordHandOver();
    state.selectedId = id;
    state.returnTo = QStringLiteral("search");
    m_host.closeScreensExcept(QStringLiteral("frmSearch"));
    m_host.hostScreen(m_host.recordScreen(ScreenHost::Screen::Edit));
}

void SearchScreen::onCancelClicked()
{
    m_host.closeScreens();
    m_host.showBrowser();
}
