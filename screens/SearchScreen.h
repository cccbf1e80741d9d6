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

// The search screen: finds records whose fields contain a keyword and opens one of them in
// the edit screen.
class SearchScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SearchScreen)

public:
    SearchScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    // Refills the result list with the records that match; false when the database refused
    // the search (the user has been told).
    bool runSearch(const QString& keywords, const QString& searchtype);

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

private:
    void buildControls();
    void load();
    void onSearchClicked();
    void onLookCloserClicked();
    void onCancelClicked();

    Prompt& m_prompt;
    ScreenHost& m_host;
    RecordListModel* m_results = nullptr;
};
