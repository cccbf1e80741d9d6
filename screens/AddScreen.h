#pragma once

#include <QWidget>

class Prompt;
class ScreenHost;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The add screen: picks or names a program and stores one new record under it.
class AddScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AddScreen)

public:
    AddScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    // Opens the screen for a quick add of that serial: storing or leaving it ends the program.
    void startQuickAdd(const QString& serial);
    bool isQuickAdd() const { return m_quickAdd; }
    // Puts a handed-over text into the serial box of an ordinary add.
    void fillSerial(const QString& serial);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QListWidget* lstSelect = nullptr;
    QLabel* lblPName = nullptr;
    QLineEdit* txtNewProg = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtVersion = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txtName = nullptr;
    QLabel* Label6 = nullptr;
    QPlainTextEdit* txtSerial = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void load();
    void onProgramListClicked();
    void onOkClicked();
    void onCancelClicked();
    // False when the serial is already stored for the program and the user declines a second.
    bool confirmNewSerial(const QString& program, const QString& serial);

    Prompt& m_prompt;
    ScreenHost& m_host;
    bool m_quickAdd = false;
};
