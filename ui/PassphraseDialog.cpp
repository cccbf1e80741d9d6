#include "ui/PassphraseDialog.h"

#include "store/files/DatabaseProtection.h"
#include "store/keys/SecretBytes.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLineEdit* maskedField(QWidget* parent, const char* name)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setEchoMode(QLineEdit::Password);
    // No input method may keep or suggest what is typed here.
    field->setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    return field;
}

} // namespace

PassphraseDialog::PassphraseDialog(const PassphraseQuestion& question, QWidget* parent)
    : QDialog(parent), m_confirm(question.confirm)
{
    setObjectName(QStringLiteral("frmPassphrase"));
    setWindowTitle(question.title);
    setModal(true);
    // Wide enough for the strength hint on a line or two.
    setMinimumWidth(fontMetrics().averageCharWidth() * 52);

    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(question.text, this);
    text->setObjectName(QStringLiteral("lblQuestion"));
    text->setWordWrap(true);
    layout->addWidget(text);

    auto* form = new QFormLayout;
    txtPassphrase = maskedField(this, "txtPassphrase");
    form->addRow(question.fieldLabel, txtPassphrase);
    if (m_confirm) {
        txtConfirm = maskedField(this, "txtConfirm");
        form->addRow(tr("&Again:"), txtConfirm);
        lblStrength = new QLabel(this);
        lblStrength->setObjectName(QStringLiteral("lblStrength"));
        // The hint wraps within the width the dialog opened with instead of widening it under
        // the user's typing.
        lblStrength->setWordWrap(true);
        lblStrength->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        form->addRow(QString(), lblStrength);
    }
    layout->addLayout(form);

    if (question.offerKeyring) {
        chkRemember = new QCheckBox(tr("&Remember it in the keyring"), this);
        chkRemember->setObjectName(QStringLiteral("chkRemember"));
        if (!question.keyringUnavailable.isEmpty()) {
            chkRemember->setEnabled(false);
            chkRemember->setToolTip(question.keyringUnavailable);
            auto* reason = new QLabel(question.keyringUnavailable, this);
            reason->setObjectName(QStringLiteral("lblKeyring"));
            reason->setWordWrap(true);
            layout->addWidget(chkRemember);
            layout->addWidget(reason);
        } else {
            layout->addWidget(chkRemember);
        }
    }

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(txtPassphrase, &QLineEdit::textChanged, this, &PassphraseDialog::updateState);
    if (txtConfirm)
        connect(txtConfirm, &QLineEdit::textChanged, this, &PassphraseDialog::updateState);
    updateState();
}

PassphraseDialog::~PassphraseDialog()
{
    clearFields();
}

void PassphraseDialog::updateState()
{
    const QString first = txtPassphrase->text();
    bool acceptable = !first.isEmpty();
    if (m_confirm) {
        const bool same = txtConfirm->text() == first;
        acceptable = acceptable && same;
        QString hint;
        if (!first.isEmpty())
            hint = tr("Strength: %1").arg(DatabaseProtection::strengthHint(first));
        if (!txtConfirm->text().isEmpty() && !same)
            hint += (hint.isEmpty() ? QString() : QStringLiteral(". ")) +
                    tr("The two passphrases differ.");
        lblStrength->setText(hint);
    }
    buttons->button(QDialogButtonBox::Ok)->setEnabled(acceptable);
}

void PassphraseDialog::clearFields()
{
    // QLineEdit keeps its own copy; clear() drops it, and the undo history with it.
    txtPassphrase->clear();
    if (txtConfirm)
        txtConfirm->clear();
}

PassphraseAnswer PassphraseDialog::ask()
{
    PassphraseAnswer answer;
    if (exec() == QDialog::Accepted) {
        answer.accepted = true;
        answer.passphrase = txtPassphrase->text();
        answer.remember = chkRemember && chkRemember->isEnabled() && chkRemember->isChecked();
    }
    clearFields();
    return answer;
}
