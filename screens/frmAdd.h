#pragma once

#include <QWidget>

class Prompt;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The add screen: picks or names a program and stores one new record under it.
class frmAdd final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAdd)

public:
    explicit frmAdd(Prompt& prompt, QWidget* parent = nullptr);

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
    void lstSelect_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

    Prompt& m_prompt;
};
