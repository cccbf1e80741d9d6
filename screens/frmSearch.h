#pragma once

#include <QWidget>

class Prompt;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class RecordListModel;

// The search screen: finds records whose fields contain a keyword and opens one of them in
// the edit screen.
class frmSearch final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSearch)

public:
    explicit frmSearch(Prompt& prompt, QWidget* parent = nullptr);

    // Refills the result list with the records that match; false when the database refused
    // the search (the user has been told).
    bool SearchProcess(const QString& keywords, const QString& searchtype);

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
    void cmdSearch_Click();
    void cmdView_Click();
    void cmdCancel_Click();

    Prompt& m_prompt;
    RecordListModel* m_results = nullptr;
};
