#include "about/AboutWindow.h"

#include "about/AboutText.h"
#include "ui/FieldCaptions.h"
#include "ui/HyperlinkLabel.h"
#include "ui/Look.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"
#include "ui/SkinColor.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QPushButton>

Q_LOGGING_CATEGORY(lcAbout, "numira.about")

namespace {

// Credits and addresses of this project.
const QString ProgrammerName = QStringLiteral("Alex Marlowe");
const QString ProgrammerMail = QStringLiteral("mailto:alex@numira.example");
const QString ArtistName = QStringLiteral("Robin Kessler");
const QString ArtistMail = QStringLiteral("mailto:robin@numira.example");
const QString WebSite = QStringLiteral("https://numira.org");
const char* const BetaTesters = QT_TRANSLATE_NOOP(
    "AboutWindow", "Sam Ortega, Jo Lindqvist, Kit Adebayo and thanks to all others!");

constexpr qreal FontSize = 8.25;

// The skin's label colour; the empty text without a skin.
QString labelColorText()
{
    const auto& colors = SkinColor::colorsInUse();
    return colors ? colors->labelFore : QString();
}

} // namespace

AboutWindow::AboutWindow(Prompt& prompt, ScreenHost& host, QWidget* parent)
    : QWidget(parent), m_prompt(prompt), m_host(host)
{
    setWindowTitle(tr("About..."));
    buildControls();
    SkinColor::applySkinColors(this);
    applyColors();
    txtComments->setPlainText(
        AboutText::readComments(AboutText::commentsPath(m_host.programFolder())));
    lblVersion->setText(AboutText::versionText());
    // Enter presses OK wherever the focus is, as a default button promises: every control of
    // the window passes Enter on to the window first.
    const QList<QWidget*> controls = findChildren<QWidget*>();
    for (QWidget* control : controls)
        control->installEventFilter(this);
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            cmdOK->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AboutWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The default button takes the first focus, not the read-only comments above it.
    if (!isAncestorOf(QApplication::focusWidget()))
        cmdOK->setFocus(Qt::ActiveWindowFocusReason);
}

void AboutWindow::buildControls()
{
    // Designed in pixels at 15 twips per pixel; the window keeps its size.
    setFixedSize(Twips::designPixels(420), Twips::designPixels(408));
    setFont(Look::verdana(FontSize));

    Label1 = makeLabel("Label1", tr("About Numira:"), QRect(12, 10, 396, 16), true);
    txtComments = new QPlainTextEdit(this);
    txtComments->setObjectName(QStringLiteral("txtComments"));
    txtComments->setGeometry(Twips::designRect(12, 28, 396, 112));
    txtComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtComments->setReadOnly(true);

    Label7 = makeLabel("Label7", tr("Version:"), QRect(12, 152, 140, 16), true);
    lblVersion = makeLabel("lblVersion", QString(), QRect(160, 152, 248, 16));

    Label2 = makeLabel("Label2", tr("Programmer:"), QRect(12, 174, 140, 16), true);
    Label3 = makeLabel("Label3", ProgrammerName, QRect(160, 174, 248, 16));
    avhAuthor = makeLink("avhAuthor", ProgrammerMail, QRect(160, 191, 248, 16),
                         tr("E-mail the programmer!"));

    Label9 = makeLabel("Label9", tr("Graphics Artist and Site Designer:"), QRect(12, 213, 140, 32),
                       true);
    Label9->setWordWrap(true);
    Label10 = makeLabel("Label10", ArtistName, QRect(160, 213, 248, 16));
    avhArtwork = makeLink("avhArtwork", ArtistMail, QRect(160, 230, 248, 16),
                          tr("E-mail the graphics artist!"));

    Label5 = makeLabel("Label5", tr("Website:"), QRect(12, 254, 140, 16), true);
    avhWebsite =
        makeLink("avhWebsite", WebSite, QRect(160, 254, 248, 16), tr("Visit the website!"));

    Label12 = makeLabel("Label12", tr("Beta Testers:"), QRect(12, 276, 140, 16), true);
    Label13 = makeLabel("Label13", tr(BetaTesters), QRect(160, 276, 248, 32));
    Label13->setWordWrap(true);

    Frame1 = new QGroupBox(tr("Options:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::designRect(12, 316, 396, 46));
    chkQuickClick = new QCheckBox(tr("Use Quick Add Shortcut in the Web Browser"), Frame1);
    chkQuickClick->setObjectName(QStringLiteral("chkQuickClick"));
    chkQuickClick->setGeometry(Twips::designRect(10, 20, 376, 18));
    chkQuickClick->setToolTip(tr("Leave Checked to enable Quick Add Capability!"));
    // Checked on first use; setQuickAddApplier shows the user's stored choice.
    chkQuickClick->setChecked(true);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::designRect(320, 372, 88, 26));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::onOkClicked);
    FieldCaptions::attach(this, {{"Label1", txtComments}});
}

QLabel* AboutWindow::makeLabel(const char* name, const QString& caption, const QRect& designRect,
                               bool heading)
{
    auto* label = new QLabel(caption, this);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(
        Twips::designRect(designRect.x(), designRect.y(), designRect.width(), designRect.height()));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    if (heading)
        label->setFont(Look::verdana(FontSize, true));
    return label;
}

HyperlinkLabel* AboutWindow::makeLink(const char* name, const QString& address,
                                      const QRect& designRect, const QString& toolTip)
{
    auto* link = new HyperlinkLabel(this);
    link->setObjectName(QLatin1String(name));
    link->setGeometry(
        Twips::designRect(designRect.x(), designRect.y(), designRect.width(), designRect.height()));
    link->setUrl(QUrl(address));
    link->setToolTip(toolTip);
    return link;
}

void AboutWindow::applyColors()
{
    // Also without a skin: the label colour is then empty, which reads as black.
    const QColor labelColor = SkinColor::toQColor(SkinColor::hexToColor(labelColorText()));
    const QList<QLabel*> labels = findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (Look::kindOf(label) == Look::Kind::Label)
            Look::setForeColor(label, labelColor);
    }
}

void AboutWindow::setQuickAddApplier(QuickAddApplier applier, bool enabled)
{
    m_applyQuickAdd = std::move(applier);
    chkQuickClick->setChecked(enabled);
}

void AboutWindow::onOkClicked()
{
    QString error;
    const bool enabled = chkQuickClick->checkState() == Qt::Checked;
    // A browser folder that cannot be written is said, so the user knows the option did not
    // take; the window closes all the same.
    if (m_applyQuickAdd && !m_applyQuickAdd(enabled, &error)) {
        qCWarning(lcAbout).noquote() << "The quick add was not changed:" << error;
        m_prompt.critical(tr("The quick add was not changed!  %1").arg(error));
    }
    m_host.unloadWindow(this);
}

void AboutWindow::closeEvent(QCloseEvent* event)
{
    // Closing by the title bar applies nothing, but unloads like OK, so that the next opening
    // reads the comments and the stored choice anew.
    event->accept();
    m_host.unloadWindow(this);
}
