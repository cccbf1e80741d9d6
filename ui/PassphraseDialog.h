#pragma once

#include "ui/Prompt.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;

// The passphrase question: a masked field (twice for a new passphrase, with a hint on its
// strength), and the option to keep it in the keyring. OK stays disabled until the fields
// hold a passphrase, and agree when it is asked twice.
class PassphraseDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PassphraseDialog)

public:
    explicit PassphraseDialog(const PassphraseQuestion& question, QWidget* parent = nullptr);
    ~PassphraseDialog() override;

    // Runs the dialog; the fields are emptied whatever the outcome.
    PassphraseAnswer ask();

    QLineEdit* txtPassphrase = nullptr;
    QLineEdit* txtConfirm = nullptr;
    QLabel* lblStrength = nullptr;
    QCheckBox* chkRemember = nullptr;
    QDialogButtonBox* buttons = nullptr;

private:
    void updateState();
    void clearFields();

    bool m_confirm = false;
};
