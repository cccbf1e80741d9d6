#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

// Asks for the address of a database server: a connection URI or a service name. The text
// is handed on exactly as typed (blanks at its ends aside); OK stays disabled while it is
// empty.
class ServerAddressDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerAddressDialog)

public:
    explicit ServerAddressDialog(const QString& lastAddress, QWidget* parent = nullptr);

    // Runs the dialog; the empty text when the user cancelled.
    QString ask();
    QString address() const;

    QLineEdit* txtAddress = nullptr;
    QLabel* lblExamples = nullptr;
    QDialogButtonBox* buttons = nullptr;
};
