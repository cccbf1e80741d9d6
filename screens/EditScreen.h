#pragma once

#include <QWidget>

class Prompt;
class ScreenHost;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The edit screen: shows the record named by selectedId over the list screen that opened it,
// saves or deletes it, and returns to that screen.
class EditScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditScreen)

public:
    EditScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* txtVersion = nullptr;
    QLineEdit* txtName = nullptr;
    QPlainTextEdit* txtSerial = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdSave = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void load();
    void onSaveClicked();
    void onDeleteClicked();
    // Unloads this screen and shows the one that opened it, its list refilled on request.
    void returnToCaller(bool refresh);

    Prompt& m_prompt;
    ScreenHost& m_host;
};
