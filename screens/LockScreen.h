#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

// What the window shows while its protected database is locked: no record, only the masked
// passphrase field with Unlock, and the keyring where it can be asked. It decides nothing: it
// hands the passphrase on and shows what it is told.
class LockScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LockScreen)

public:
    LockScreen(const QString& databaseName, bool offerKeyring, QWidget* parent = nullptr);
    ~LockScreen() override;

    // Says why the last try did not unlock, and empties the field for the next one.
    void showProblem(const QString& text);
    QString problem() const;

    QLineEdit* txtPassphrase = nullptr;
    QPushButton* cmdUnlock = nullptr;
    QPushButton* cmdKeyring = nullptr;

signals:
    // The passphrase typed; the field is emptied as it is handed on.
    void unlockRequested(const QString& passphrase);
    void keyringRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void submit();

    QLabel* m_problem = nullptr;
};
