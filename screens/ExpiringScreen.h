#pragma once

#include "screens/EditCaller.h"

#include <QWidget>

class Prompt;
class ScreenHost;
class QPushButton;
class QTreeWidget;

// The "Expiring Licences" list: the records that expire within the warning days or expired in
// the last days, soonest first; Look Closer opens one on the edit screen, which comes back
// here.
class ExpiringScreen final : public QWidget, public EditCaller
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExpiringScreen)

public:
    ExpiringScreen(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);
    ~ExpiringScreen() override;

    // Reads the list again.
    void load();

    void returnFromEdit(bool recordChanged) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void onLookCloserClicked();

    Prompt& m_prompt;
    ScreenHost& m_host;

    QTreeWidget* m_list = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_lookCloser = nullptr;
};
