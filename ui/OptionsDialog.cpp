#include "ui/OptionsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

OptionsDialog::OptionsDialog(const SecurityOptions& options, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(tr("Options"));

    spnClipboardSeconds = new QSpinBox(this);
    spnClipboardSeconds->setObjectName(QStringLiteral("spnClipboardSeconds"));
    spnClipboardSeconds->setRange(0, 3600);
    spnClipboardSeconds->setSuffix(tr(" s"));
    spnClipboardSeconds->setSpecialValueText(tr("Never"));
    spnClipboardSeconds->setValue(options.clipboardSeconds);

    spnLockMinutes = new QSpinBox(this);
    spnLockMinutes->setObjectName(QStringLiteral("spnLockMinutes"));
    spnLockMinutes->setRange(0, 24 * 60);
    spnLockMinutes->setSuffix(tr(" min"));
    spnLockMinutes->setSpecialValueText(tr("Never"));
    spnLockMinutes->setValue(options.lockMinutes);

    chkLockOnMinimise = new QCheckBox(tr("Lock when &minimised to the tray"), this);
    chkLockOnMinimise->setObjectName(QStringLiteral("chkLockOnMinimise"));
    chkLockOnMinimise->setChecked(options.lockOnMinimise);

    spnExpiryWarningDays = new QSpinBox(this);
    spnExpiryWarningDays->setObjectName(QStringLiteral("spnExpiryWarningDays"));
    spnExpiryWarningDays->setRange(0, 3 * 365);
    spnExpiryWarningDays->setSuffix(tr(" days"));
    spnExpiryWarningDays->setValue(options.expiryWarningDays);

    auto* form = new QFormLayout;
    form->addRow(tr("&Clear a copied serial after:"), spnClipboardSeconds);
    form->addRow(tr("&Lock a protected database after:"), spnLockMinutes);
    form->addRow(chkLockOnMinimise);
    form->addRow(tr("&Warn of a licence's expiry before:"), spnExpiryWarningDays);

    auto* note =
        new QLabel(tr("A protected database also locks when the desktop session locks."), this);
    note->setWordWrap(true);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
}

SecurityOptions OptionsDialog::options() const
{
    SecurityOptions chosen;
    chosen.clipboardSeconds = spnClipboardSeconds->value();
    chosen.lockMinutes = spnLockMinutes->value();
    chosen.lockOnMinimise = chkLockOnMinimise->isChecked();
    chosen.expiryWarningDays = spnExpiryWarningDays->value();
    return chosen;
}
