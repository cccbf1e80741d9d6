#pragma once

#include "screens/EditCaller.h"
#include "store/records/RecordStore.h"

#include <QWidget>

class LiveList;
class Prompt;
class ScreenHost;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTreeView;
class RecordCopier;
class RecordListModel;
class ResultPages;
class ScrollAhead;
class SearchWorker;
class StoreError;

// The search screen: finds records whose fields contain a keyword and opens one of them in
// the edit screen.
class SearchScreen final : public QWidget, public EditCaller
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchScreen)

public:
    SearchScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);
    ~SearchScreen() override;

    // Refills the result list with the records that match; false when the database refused
    // the search (the user has been told). A search that takes longer than a moment goes on
    // while the window answers: the list says so until the first rows arrive, Escape cancels
    // it, and another search or leaving the screen cancels it too.
    bool runSearch(const QString& keywords, RecordStore::SearchField field);
    // Whether a search (the user's, or the list read again after a change) is still reading.
    bool isSearching() const;
    // The last search the user started (empty keywords: none yet).
    QString lastKeywords() const { return m_lastKeywords; }
    RecordStore::SearchField lastField() const { return m_lastField; }
    // Cancels a search under way and closes the worker's connection until the next search.
    void stopSearching();
    // How long a search is waited for before the list says it is searching (tests: 0).
    void setPatience(int ms) { m_patienceMs = ms; }

    void returnFromEdit(bool recordChanged) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void load();
    // Runs the last search again for a list that is shown: its rows stay until the new ones
    // replace them.
    void searchAgain();
    void onSearchClicked();
    void onLookCloserClicked();
    void onCancelClicked();
    void showFound(const ResultPages& found);
    void showFailure(const StoreError& error);
    void showCancelled();

    Prompt& m_prompt;
    ScreenHost& m_host;
    RecordListModel* m_results = nullptr;
    SearchWorker* m_worker = nullptr;
    LiveList* m_live = nullptr;
    ScrollAhead* m_ahead = nullptr;
    RecordCopier* m_copier = nullptr;
    int m_patienceMs = 100;
    // The last search the user started, run again when the records change.
    QString m_lastKeywords;
    RecordStore::SearchField m_lastField = RecordStore::SearchField::All;
    // The search under way reads the list again rather than answering the user: it shows no
    // placeholder, and Escape leaves the screen instead of cancelling it.
    bool m_searchingAgain = false;
    bool m_lastSearchCancelled = false;
    bool m_lastSearchOk = true;

    QLineEdit* m_keywords = nullptr;
    QComboBox* m_searchBy = nullptr;
    QPushButton* m_search = nullptr;
    QTreeView* m_list = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_lookCloser = nullptr;
};
