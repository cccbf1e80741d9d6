#pragma once

#include "ui/Prompt.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QSpinBox;

// The small Options dialog: seconds a copied serial stays on the clipboard, minutes without
// input before a protected database locks, whether minimising to the tray locks it, and how
// many days before its expiry a licence is marked.
class OptionsDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OptionsDialog)

public:
    explicit OptionsDialog(const SecurityOptions& options, QWidget* parent = nullptr);

    SecurityOptions options() const;

    QSpinBox* spnClipboardSeconds = nullptr;
    QSpinBox* spnLockMinutes = nullptr;
    QCheckBox* chkLockOnMinimise = nullptr;
    QSpinBox* spnExpiryWarningDays = nullptr;
    QDialogButtonBox* buttons = nullptr;
};
