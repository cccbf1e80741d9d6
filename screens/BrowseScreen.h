#pragma once

#include <QWidget>

class Prompt;
class ScreenHost;
class QComboBox;
class QPushButton;
class QTreeView;
class RecordListModel;

// The browse screen: lists the records of one program, opens one in the edit screen and
// deletes a program name that no record uses.
class BrowseScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowseScreen)

public:
    BrowseScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    // Refills the listing for the program named in the box; nothing when the box is empty.
    void search();

    QPushButton* cmdDeleteProg = nullptr;
    QComboBox* cmbProgram = nullptr;
    QPushButton* cmdSearch = nullptr;
    QTreeView* lstRecords = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdView = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void load();
    void onProgramChanged();
    void onLookCloserClicked();
    void onDeleteProgramClicked();
    void onCancelClicked();

    Prompt& m_prompt;
    ScreenHost& m_host;
    RecordListModel* m_records = nullptr;
};
