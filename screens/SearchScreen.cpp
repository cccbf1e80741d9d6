#include "screens/SearchScreen.h"

#include "screens/ExpiryMarks.h"
#include "screens/LiveList.h"
#include "screens/RecordCopier.h"
#include "screens/RecordHandOver.h"
#include "screens/RecordListModel.h"
#include "screens/ScreenKit.h"
#include "screens/ScrollAhead.h"
#include "store/DatabaseSession.h"
#include "store/search/SearchWorker.h"
#include "ui/FieldCaptions.h"
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

namespace {

const QString FormName = QStringLiteral("frmSearch");

} // namespace

SearchScreen::SearchScreen(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    buildControls();
    load();
}

SearchScreen::~SearchScreen()
{
    if (recordHandOver().caller == this)
        recordHandOver().caller = nullptr;
}

void SearchScreen::buildControls()
{
    using namespace ScreenKit;
    prepareScreen(this, 6360, 3810);

    auto* frame = place<QGroupBox>(this, "Frame1", 120, 0, 6015, 3135);
    frame->setTitle(tr("Search: "));
    setVerdana(frame, 9.75);
    label(frame, "Label1", tr("Keywords:"), 240, 240, 1575, 375, 9.75);
    m_keywords = place<QLineEdit>(frame, "txtKeywords", 1680, 240, 2535, 375);
    m_keywords->setMaxLength(std::numeric_limits<int>::max());
    setVerdana(m_keywords, 9.75);
    paintEditor(m_keywords);
    label(frame, "Label2", tr("Search By:"), 240, 720, 1215, 255, 9.75);
    m_searchBy = place<QComboBox>(frame, "cmbSearchBy", 1680, 720, 2535, 360);
    setVerdana(m_searchBy, 9.75);
    m_search = button(frame, "cmdSearch", tr("&Search"), 4560, 480, 1215, 375);
    m_results = new RecordListModel({tr("ID"), tr("Program"), tr("Version")}, this);
    m_list = listView(frame, "lstSearchResults", 0, 1200, 6015, 1935, m_results, {650, 3700, 1650});
    new ExpiryMarks(m_list, m_results, m_host.session(), this);
    paintEditor(m_list);
    m_cancel = button(this, "cmdCancel", tr("&Cancel"), 600, 3240, 1695, 375);
    m_lookCloser = button(this, "cmdView", tr("&Look Closer"), 3720, 3240, 1695, 375);

    chainTabOrder({m_keywords, m_searchBy, m_search, m_list, m_cancel, m_lookCloser});
    FieldCaptions::attach(frame, {{"Label1", m_keywords}, {"Label2", m_searchBy}});
    m_list->setAccessibleName(tr("Search Results"));
    enableWithSelectedRecord(m_lookCloser, m_list, m_results);
    // Ctrl+C and the right-click menu copy the selected record's serial, or the whole record.
    m_copier = new RecordCopier(m_list, m_results, m_prompt, m_host, this);

    connect(m_search, &QPushButton::clicked, this, &SearchScreen::onSearchClicked);
    connect(m_keywords, &QLineEdit::returnPressed, this, &SearchScreen::onSearchClicked);
    connect(m_lookCloser, &QPushButton::clicked, this, &SearchScreen::onLookCloserClicked);
    connect(m_list, &QTreeView::doubleClicked, this, &SearchScreen::onLookCloserClicked);
    connect(m_cancel, &QPushButton::clicked, this, &SearchScreen::onCancelClicked);

    m_worker = new SearchWorker(m_host.session(), this);
    connect(m_worker, &SearchWorker::searchFound, this, &SearchScreen::showFound);
    connect(m_worker, &SearchWorker::searchFailed, this, &SearchScreen::showFailure);
    connect(m_worker, &SearchWorker::searchCancelled, this, &SearchScreen::showCancelled);
    // The list's later pages are read by the worker as the user scrolls near its end.
    m_ahead = new ScrollAhead(m_list, m_results, this);
    connect(m_ahead, &ScrollAhead::moreWanted, this,
            [this] { m_worker->readMore(m_results->records()); });
    connect(m_worker, &SearchWorker::moreFound, this, [this](const ResultPages& grown) {
        const int before = m_results->rowCount();
        m_results->appendRecords(grown);
        m_ahead->arrived(m_results->rowCount() > before);
    });
    // Other users' changes run the last search again.
    m_live = new LiveList(
        m_list, m_results, [this] { searchAgain(); }, m_host.session().changeFeed(), this);
}

void SearchScreen::load()
{
    using Field = RecordStore::SearchField;
    SkinColor::applySkinColors(this);
    for (const auto& [caption, field] :
         {std::pair{tr("All"), Field::All}, std::pair{tr("Program"), Field::Program},
          std::pair{tr("Version"), Field::Version}, std::pair{tr("Name"), Field::Name},
          std::pair{tr("Serial"), Field::Serial}})
        m_searchBy->addItem(caption, QVariant::fromValue(field));
    m_searchBy->setCurrentIndex(0);
}

void SearchScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!isAncestorOf(focusWidget()))
        m_keywords->setFocus();
}

void SearchScreen::hideEvent(QHideEvent* event)
{
    m_worker->release();
    QWidget::hideEvent(event);
}

void SearchScreen::keyPressEvent(QKeyEvent* event)
{
    // A key no control used reaches the screen; an open drop-down list keeps its Escape.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // The user's search is cancelled first, and a second Escape leaves; the list read
        // again after a change is no search of the user's and never holds Escape back.
        if (isSearching() && !m_searchingAgain)
            m_worker->cancel();
        else
            m_cancel->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SearchScreen::stopSearching()
{
    m_worker->release();
}

bool SearchScreen::isSearching() const
{
    return m_worker->isRunning();
}

bool SearchScreen::runSearch(const QString& keywords, RecordStore::SearchField field)
{
    m_lastKeywords = keywords;
    m_lastField = field;
    m_searchingAgain = false;
    m_lastSearchCancelled = false;
    m_results->clear();
    m_worker->start(field, keywords);
    if (m_worker->finishWithin(m_patienceMs))
        return m_lastSearchOk;
    m_results->setPlaceholder({QString(), tr("Searching... (Esc cancels)"), QString()});
    return true;
}

void SearchScreen::searchAgain()
{
    // The user stopped that search: it is not run again behind the user's back.
    if (m_lastSearchCancelled)
        return;
    // A search of the user's still under way starts again as it was, its placeholder shown.
    if (!isSearching())
        m_searchingAgain = true;
    m_worker->start(m_lastField, m_lastKeywords, m_live->rowsToRestore());
    m_worker->finishWithin(m_patienceMs);
}

void SearchScreen::showFound(const ResultPages& found)
{
    m_lastSearchOk = true;
    m_searchingAgain = false;
    if (found.rowCount() > 0)
        m_results->setRecords(found);
    else
        m_results->setPlaceholder({tr("No"), tr("Results"), tr("Found!")});
}

void SearchScreen::showFailure(const StoreError& error)
{
    const bool usersSearch = !m_searchingAgain;
    m_lastSearchOk = false;
    m_searchingAgain = false;
    m_results->clear();
    // A refused search keeps the keyword, so the user can try again.
    if (usersSearch && m_keywords->text().isEmpty())
        m_keywords->setText(m_lastKeywords);
    ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The search could not be run!"), error);
}

void SearchScreen::showCancelled()
{
    // A list read again keeps the rows it showed.
    if (m_searchingAgain) {
        m_searchingAgain = false;
        return;
    }
    m_lastSearchCancelled = true;
    m_results->setPlaceholder({QString(), tr("Search cancelled"), QString()});
    if (m_keywords->text().isEmpty())
        m_keywords->setText(m_lastKeywords);
}

void SearchScreen::onSearchClicked()
{
    if (m_keywords->text().isEmpty() || m_searchBy->currentIndex() < 0)
        return;
    // A refused search keeps the keyword, so the user can try again.
    if (runSearch(m_keywords->text(), m_searchBy->currentData().value<RecordStore::SearchField>()))
        m_keywords->clear();
}

void SearchScreen::returnFromEdit(bool recordChanged)
{
    m_host.closeScreensExcept(FormName);
    if (recordChanged)
        m_live->refresh();
    m_host.hostScreen(this);
}

void SearchScreen::onLookCloserClicked()
{
    const QString id = ScreenKit::selectedId(m_list);
    if (id.isEmpty() || m_results->isPlaceholder())
        return;
    RecordHandOver& state = recordHandOver();
    state.selectedId = id;
    state.caller = this;
    m_host.closeScreensExcept(FormName);
    m_host.hostScreen(m_host.recordScreen(ScreenHost::Screen::Edit));
}

void SearchScreen::onCancelClicked()
{
    m_host.closeScreens();
    m_host.showBrowser();
}
