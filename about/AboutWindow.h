#pragma once

#include <QWidget>

#include <functional>

class Prompt;
class ScreenHost;
class HyperlinkLabel;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The about window: version, credits, links, the comments file and the quick-add option. A
// separate, not modal window; its OK applies the option and unloads it, any other way of
// closing it applies nothing.
class AboutWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutWindow)

public:
    explicit AboutWindow(Prompt& prompt, ScreenHost& host, QWidget* parent = nullptr);

    // What OK does with the quick-add option: registers (true) or removes (false) the browser
    // integration; false with a reason when that failed.
    using QuickAddApplier = std::function<bool(bool enabled, QString* error)>;
    // The applier, and the user's stored choice that the option shows: OK writes what the box
    // shows, so that merely reading About never turns quick add back on.
    void setQuickAddApplier(QuickAddApplier applier, bool enabled);

    QLabel* Label1 = nullptr;
    QPlainTextEdit* txtComments = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    HyperlinkLabel* avhAuthor = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    HyperlinkLabel* avhArtwork = nullptr;
    QLabel* Label5 = nullptr;
    HyperlinkLabel* avhWebsite = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QCheckBox* chkQuickClick = nullptr;
    QPushButton* cmdOK = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    QLabel* makeLabel(const char* name, const QString& caption, const QRect& designRect,
                      bool heading = false);
    HyperlinkLabel* makeLink(const char* name, const QString& address, const QRect& designRect,
                             const QString& toolTip);
    void applyColors();

    void onOkClicked();

    Prompt& m_prompt;
    ScreenHost& m_host;
    QuickAddApplier m_applyQuickAdd;
};
