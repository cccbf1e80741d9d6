#pragma once

#include "screens/EditCaller.h"

#include <QWidget>

class LiveList;
class Prompt;
class ScreenHost;
class QComboBox;
class QPushButton;
class QTreeView;
class RecordCopier;
class RecordListModel;

// The browse screen: lists the records of one program, opens one in the edit screen and
// deletes a program name that no record uses.
class BrowseScreen final : public QWidget, public EditCaller
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowseScreen)

public:
    BrowseScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);
    ~BrowseScreen() override;

    // Refills the listing for the program named in the box; nothing when the box is empty.
    // The rows shown stay until the new ones replace them.
    void search();
    // The program named in the box; showProgram() names one and lists its records.
    QString program() const;
    void showProgram(const QString& program);

    void returnFromEdit(bool recordChanged) override;

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
    LiveList* m_live = nullptr;
    RecordCopier* m_copier = nullptr;

    QPushButton* m_deleteProgram = nullptr;
    QComboBox* m_program = nullptr;
    QPushButton* m_search = nullptr;
    QTreeView* m_list = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_lookCloser = nullptr;
};
