#pragma once

#include "store/records/RecordDetails.h"

#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <QUrl>

// The details of a record as the details dialog holds them: texts as typed, dates that may be
// left out. It says what is wrong with them and turns them into the details that are stored,
// so that the dialog only moves texts between its fields and this.
class DetailsForm final
{
    Q_DECLARE_TR_FUNCTIONS(DetailsForm)

public:
    QString email;
    QString url;
    QDate purchased; // null: left empty
    QDate expires;   // null: left empty
    QString seats;
    QString order;
    QString notes;

    static DetailsForm from(const RecordDetails& details);

    // The first thing wrong with the fields, in words for the user; empty when none is.
    QString problem() const;
    // The details to store (blanks around the one-line fields trimmed); only when problem()
    // is empty.
    RecordDetails details() const;

    // The address the browser is given for the URL field's text: "example.com/x" gets
    // "https://"; an address that is not one for a browser (or not one at all) is empty.
    static QUrl browserUrl(const QString& text);
};
