#pragma once

#include <QWidget>

class Prompt;
class ScreenHost;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class RecordListModel;
class ResultPages;
class SearchWorker;
class StoreError;

// The search screen: finds records whose fields contain a keyword and opens one of them in
// the edit screen.
class SearchScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchScreen)

public:
    SearchScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    // Refills the result list with the records that match; false when the database refused
    // the search (the user has been told). A search that takes longer than a moment goes on
    // while the window answers: the list says so until the first rows arrive, Escape cancels
    // it, and another search or leaving the screen cancels it too.
    bool runSearch(const QString& keywords, const QString& searchtype);
    bool isSearching() const;
    // How long runSearch waits before the list says it is searching (tests: 0).
    void setPatience(int ms) { m_patienceMs = ms; }

    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtKeywords = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmbSearchBy = nullptr;
    QPushButton* cmdSearch = nullptr;
    QTreeView* lstSearchResults = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdView = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void load();
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
    int m_patienceMs = 100;
    QString m_runningKeywords; // the search under way, put back in the keyword box if it stops
    bool m_lastSearchOk = true;
};
