#include "ui/ServerAddressDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ServerAddressDialog::ServerAddressDialog(const QString& lastAddress, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmServerAddress"));
    setWindowTitle(tr("Open Database on a Server"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    txtAddress = new QLineEdit(lastAddress, this);
    txtAddress->setObjectName(QStringLiteral("txtAddress"));
    txtAddress->setMinimumWidth(360);
    txtAddress->selectAll();
    // Typing starts in the field and replaces the address offered.
    txtAddress->setFocus();
    form->addRow(tr("Server &address:"), txtAddress);
    layout->addLayout(form);

    lblExamples =
        new QLabel(tr("A PostgreSQL connection URI such as postgresql://user@host:5432/numira, "
                      "or a service of pg_service.conf such as service=licences. The password "
                      "comes from ~/.pgpass or the service file, else Numira asks for it."),
                   this);
    lblExamples->setObjectName(QStringLiteral("lblExamples"));
    lblExamples->setWordWrap(true);
    layout->addWidget(lblExamples);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Connect"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    const auto updateState = [this] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!address().isEmpty());
    };
    connect(txtAddress, &QLineEdit::textChanged, this, updateState);
    updateState();
}

QString ServerAddressDialog::address() const
{
    return txtAddress->text().trimmed();
}

QString ServerAddressDialog::ask()
{
    return exec() == QDialog::Accepted ? address() : QString();
}
