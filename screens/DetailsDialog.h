#pragma once

#include "store/records/RecordDetails.h"

#include <QDialog>

class DetailsForm;
class Prompt;
class QCheckBox;
class QDateEdit;
class QDialogButtonBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The details of one record: e-mail, address, dates, seats, order number and notes. OK keeps
// them in the dialog only when DetailsForm finds nothing wrong; whoever opened it stores them.
class DetailsDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DetailsDialog)

public:
    DetailsDialog(Prompt& prompt, const RecordDetails& details, const QString& recordTitle,
                  QWidget* parent = nullptr);

    // The details as accepted (those given when OK was not pressed).
    RecordDetails details() const { return m_details; }

    void accept() override;

private:
    DetailsForm form() const;
    void openUrl();

    Prompt& m_prompt;
    RecordDetails m_details;

    QLineEdit* m_email = nullptr;
    QLineEdit* m_url = nullptr;
    QPushButton* m_openUrl = nullptr;
    QCheckBox* m_hasPurchased = nullptr;
    QDateEdit* m_purchased = nullptr;
    QCheckBox* m_hasExpires = nullptr;
    QDateEdit* m_expires = nullptr;
    QLineEdit* m_seats = nullptr;
    QLineEdit* m_order = nullptr;
    QPlainTextEdit* m_notes = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};
