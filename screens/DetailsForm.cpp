#include "screens/DetailsForm.h"

#include <QRegularExpression>

namespace {

// Far more seats than any licence counts; a number past it is a typing slip.
constexpr int MostSeats = 1000000;

bool plausibleEmail(const QString& text)
{
    // One "@" with something on both sides and a dot in the domain: enough to catch a name or
    // an address typed into the wrong field, without refusing addresses mail servers take.
    static const QRegularExpression pattern(QStringLiteral("^[^@\\s]+@[^@\\s]+\\.[^@\\s]+$"));
    return pattern.match(text).hasMatch();
}

} // namespace

DetailsForm DetailsForm::from(const RecordDetails& details)
{
    DetailsForm form;
    form.email = details.email;
    form.url = details.url;
    form.purchased = details.purchased;
    form.expires = details.expires;
    form.seats = details.seats ? QString::number(*details.seats) : QString();
    form.order = details.order;
    form.notes = details.notes;
    return form;
}

QString DetailsForm::problem() const
{
    const QString mail = email.trimmed();
    if (!mail.isEmpty() && !plausibleEmail(mail))
        return tr("The e-mail address \"%1\" is not one: it needs a name, an @ and a domain.")
            .arg(mail);
    const QString address = url.trimmed();
    if (!address.isEmpty() && browserUrl(address).isEmpty())
        return tr("The address \"%1\" is not a web address.").arg(address);
    const QString count = seats.trimmed();
    if (!count.isEmpty()) {
        bool whole = false;
        const int number = count.toInt(&whole);
        if (!whole || number < 0 || number > MostSeats)
            return tr("Seats must be a whole number from 0 to %1.").arg(MostSeats);
    }
    if (purchased.isValid() && expires.isValid() && expires < purchased)
        return tr("The licence cannot expire before it was purchased.");
    return QString();
}

RecordDetails DetailsForm::details() const
{
    RecordDetails details;
    details.email = email.trimmed();
    details.url = url.trimmed();
    details.purchased = purchased;
    details.expires = expires;
    if (!seats.trimmed().isEmpty())
        details.seats = seats.trimmed().toInt();
    details.order = order.trimmed();
    details.notes = notes;
    return details;
}

QUrl DetailsForm::browserUrl(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(QRegularExpression(QStringLiteral("\\s"))))
        return QUrl();
    const bool hasScheme =
        trimmed.contains(QRegularExpression(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://")));
    const QUrl url(hasScheme ? trimmed : QStringLiteral("https://") + trimmed, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https") &&
         scheme != QLatin1String("ftp")))
        return QUrl();
    // A bare word is no address of the web; "localhost" is the one name without a dot.
    if (!url.host().contains(QLatin1Char('.')) && url.host() != QLatin1String("localhost"))
        return QUrl();
    return url;
}
