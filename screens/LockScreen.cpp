#include "screens/LockScreen.h"

#include "screens/ScreenKit.h"
#include "ui/FieldCaptions.h"
#include "ui/Look.h"
#include "ui/SkinColor.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

LockScreen::LockScreen(const QString& databaseName, bool offerKeyring, QWidget* parent)
    : QWidget(parent)
{
    using namespace ScreenKit;
    setObjectName(QStringLiteral("frmLocked"));
    prepareScreen(this, 6225, 3720);

    label(this, "lblLocked", tr("Numira is locked"), 600, 480, 5000, 360, 12);
    auto* text = label(this, "lblDatabase",
                       tr("The database \"%1\" is locked. Enter its passphrase to "
                          "open it again.")
                           .arg(databaseName),
                       600, 1020, 5000, 600, 8.25);
    text->setWordWrap(true);
    label(this, "lblPassphrase", tr("Passphrase:"), 600, 1800, 1400, 255, 8.25);
    txtPassphrase = place<QLineEdit>(this, "txtPassphrase", 2040, 1740, 2600, 345);
    txtPassphrase->setEchoMode(QLineEdit::Password);
    txtPassphrase->setAttribute(Qt::WA_InputMethodEnabled, false);
    setVerdana(txtPassphrase, 9.75);
    paintEditor(txtPassphrase);
    cmdUnlock = button(this, "cmdUnlock", tr("&Unlock"), 4740, 1725, 1095, 375);
    cmdKeyring = button(this, "cmdKeyring", tr("From the &Keyring"), 2040, 2280, 2600, 375);
    cmdKeyring->setVisible(offerKeyring);
    m_problem = label(this, "lblProblem", QString(), 600, 2880, 5200, 600, 8.25);
    m_problem->setWordWrap(true);
    Look::setForeColor(m_problem, Look::Orange);

    if (offerKeyring)
        chainTabOrder({txtPassphrase, cmdUnlock, cmdKeyring});
    else
        chainTabOrder({txtPassphrase, cmdUnlock});
    FieldCaptions::attach(this, {{"lblPassphrase", txtPassphrase}});
    SkinColor::applySkinColors(this);

    connect(cmdUnlock, &QPushButton::clicked, this, &LockScreen::submit);
    connect(txtPassphrase, &QLineEdit::returnPressed, this, &LockScreen::submit);
    connect(cmdKeyring, &QPushButton::clicked, this, &LockScreen::keyringRequested);
}

LockScreen::~LockScreen()
{
    txtPassphrase->clear();
}

void LockScreen::submit()
{
    const QString passphrase = txtPassphrase->text();
    txtPassphrase->clear();
    if (passphrase.isEmpty())
        return;
    emit unlockRequested(passphrase);
}

void LockScreen::showProblem(const QString& text)
{
    m_problem->setText(text);
    txtPassphrase->clear();
    txtPassphrase->setFocus();
}

QString LockScreen::problem() const
{
    return m_problem->text();
}

void LockScreen::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    txtPassphrase->setFocus();
}
