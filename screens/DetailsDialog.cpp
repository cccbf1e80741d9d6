#include "screens/DetailsDialog.h"

#include "screens/DetailsForm.h"
#include "ui/Prompt.h"
#include "ui/SkinColor.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <class T> T* named(T* control, const char* name)
{
    control->setObjectName(QLatin1String(name));
    return control;
}

// A date that may be left out: the box before it says whether there is one.
QDateEdit* dateField(QWidget* parent, const char* name, QCheckBox* given, const QDate& date)
{
    auto* edit = named(new QDateEdit(parent), name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setDate(date.isValid() ? date : QDate::currentDate());
    given->setChecked(date.isValid());
    edit->setEnabled(date.isValid());
    QObject::connect(given, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    return edit;
}

} // namespace

DetailsDialog::DetailsDialog(Prompt& prompt, const RecordDetails& details,
                             const QString& recordTitle, QWidget* parent)
    : QDialog(parent), m_prompt(prompt), m_details(details)
{
    setObjectName(QStringLiteral("frmDetails"));
    setWindowTitle(recordTitle.isEmpty() ? tr("Licence Details")
                                         : tr("Licence Details: %1").arg(recordTitle));

    m_email = named(new QLineEdit(details.email, this), "txtEmail");
    m_url = named(new QLineEdit(details.url, this), "txtUrl");
    m_openUrl = named(new QPushButton(tr("Open in &Browser"), this), "cmdOpenUrl");
    m_openUrl->setAutoDefault(false);
    m_hasPurchased = named(new QCheckBox(tr("&Purchased:"), this), "chkPurchased");
    m_purchased = dateField(this, "dtpPurchased", m_hasPurchased, details.purchased);
    m_hasExpires = named(new QCheckBox(tr("E&xpires:"), this), "chkExpires");
    m_expires = dateField(this, "dtpExpires", m_hasExpires, details.expires);
    m_seats =
        named(new QLineEdit(details.seats ? QString::number(*details.seats) : QString(), this),
              "txtSeats");
    m_order = named(new QLineEdit(details.order, this), "txtOrder");
    m_notes = named(new QPlainTextEdit(details.notes, this), "txtNotes");
    m_notes->setTabChangesFocus(true);
    m_buttons = named(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this),
                      "buttons");

    auto* urlRow = new QHBoxLayout;
    urlRow->addWidget(m_url, 1);
    urlRow->addWidget(m_openUrl);
    auto* form = new QFormLayout;
    form->addRow(tr("&E-mail:"), m_email);
    // A row of a layout gets no buddy from the form: the label's access key needs one.
    auto* urlLabel = new QLabel(tr("&Address (URL):"), this);
    urlLabel->setBuddy(m_url);
    form->addRow(urlLabel, urlRow);
    form->addRow(m_hasPurchased, m_purchased);
    form->addRow(m_hasExpires, m_expires);
    form->addRow(tr("&Seats:"), m_seats);
    form->addRow(tr("O&rder number:"), m_order);
    form->addRow(tr("&Notes:"), m_notes);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_buttons);
    resize(460, 380);

    const auto showOpenable = [this] {
        m_openUrl->setEnabled(!DetailsForm::browserUrl(m_url->text()).isEmpty());
    };
    showOpenable();
    connect(m_url, &QLineEdit::textChanged, this, showOpenable);
    connect(m_openUrl, &QPushButton::clicked, this, &DetailsDialog::openUrl);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &DetailsDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    SkinColor::applySkinColors(this);
}

DetailsForm DetailsDialog::form() const
{
    DetailsForm form;
    form.email = m_email->text();
    form.url = m_url->text();
    if (m_hasPurchased->isChecked())
        form.purchased = m_purchased->date();
    if (m_hasExpires->isChecked())
        form.expires = m_expires->date();
    form.seats = m_seats->text();
    form.order = m_order->text();
    form.notes = m_notes->toPlainText();
    return form;
}

void DetailsDialog::accept()
{
    const DetailsForm typed = form();
    const QString problem = typed.problem();
    if (!problem.isEmpty()) {
        m_prompt.message({problem, tr("Error!"), PromptButtons::Ok, PromptIcon::Critical});
        return;
    }
    m_details = typed.details();
    QDialog::accept();
}

void DetailsDialog::openUrl()
{
    const QUrl url = DetailsForm::browserUrl(m_url->text());
    if (!url.isEmpty() && !QDesktopServices::openUrl(url))
        m_prompt.critical(tr("No browser could open %1.").arg(url.toString()));
}
