#include "app/DatabaseLock.h"

#include "app/DatabaseWindow.h"
#include "app/DesktopLockWatch.h"
#include "app/WindowRegistry.h"
#include "screens/BrowseScreen.h"
#include "screens/EditCaller.h"
#include "screens/LockScreen.h"
#include "screens/RecordHandOver.h"
#include "screens/SearchScreen.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/StoreError.h"
#include "store/keys/PassphraseKeyring.h"
#include "store/keys/SecretBytes.h"
#include "store/records/ExpiryNotice.h"
#include "ui/IdleTimer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

namespace {

const char* const ServerReason = QT_TRANSLATE_NOOP(
    "DatabaseLock",
    "A database on a server does not lock: the server's own roles and rights protect it.");
const char* const PlainReason = QT_TRANSLATE_NOOP(
    "DatabaseLock",
    "Only a database protected by a passphrase can be locked (Protect with Passphrase...).");
const char* const ClosedReason = QT_TRANSLATE_NOOP("DatabaseLock", "No database is open.");
const char* const LockedReason = QT_TRANSLATE_NOOP("DatabaseLock", "The database is locked.");
const char* const KeepTypingQuestion = QT_TRANSLATE_NOOP(
    "DatabaseLock",
    "Lock the database now?  What you typed is kept in memory (never on disk) and comes back "
    "when you unlock it.");
const char* const QuickAddWaiting = QT_TRANSLATE_NOOP(
    "DatabaseLock", "Unlock the database to add the serial from the web browser.");

constexpr int DefaultLockMinutes = 15;
constexpr int DefaultClipboardSeconds = 30;
// How often a lock waits for the program's open dialogs to close before giving up.
constexpr int DialogRetries = 50;
constexpr int DialogRetryMs = 100;

// A hosted screen that the user sees in the window (the window itself may be in the tray).
template <class Screen> Screen* shown(const QString& formName)
{
    auto* screen = qobject_cast<Screen*>(WindowRegistry::loadedForm(formName));
    return screen && screen->isVisibleTo(screen->window()) ? screen : nullptr;
}

template <class Screen> Screen* loaded(const QString& formName)
{
    return qobject_cast<Screen*>(WindowRegistry::loadedForm(formName));
}

} // namespace

DatabaseLock::DatabaseLock(ScreenHost& host, DatabaseWindow& window, QObject* parent)
    : QObject(parent), m_host(host), m_window(window), m_session(host.session()),
      m_idle(new IdleTimer(this)), m_desktop(new DesktopLockWatch(this))
{
    connect(m_idle, &IdleTimer::idle, this, [this] { lock(Cause::Idle); });
    connect(m_desktop, &DesktopLockWatch::sessionLocked, this, [this] { lock(Cause::Desktop); });
    // Another database opened (Open Database) is no longer the locked one.
    connect(&m_session, &DatabaseSession::opened, this, [this] {
        if (m_locked && !m_unlocking)
            dropLock();
        applySettings();
    });
}

DatabaseLock::~DatabaseLock()
{
    delete m_screen.data();
}

QString DatabaseLock::whyNotLockable() const
{
    if (m_locked)
        return tr(LockedReason);
    if (!m_session.canProtect())
        return tr(ServerReason);
    if (!DatabaseSession::isProtectedFile(m_session.address()))
        return tr(PlainReason);
    if (!m_session.isOpen())
        return tr(ClosedReason);
    return QString();
}

int DatabaseLock::idleDelayMs()
{
    const int seconds = SettingsStore::readCount(SettingsStore::LockSeconds, -1);
    if (seconds >= 0)
        return seconds * 1000;
    return SettingsStore::readCount(SettingsStore::LockMinutes, DefaultLockMinutes) * 60 * 1000;
}

bool DatabaseLock::locksOnMinimise()
{
    return SettingsStore::read(SettingsStore::LockOnMinimise) == QLatin1String("1");
}

SecurityOptions DatabaseLock::readOptions()
{
    SecurityOptions options;
    options.clipboardSeconds =
        SettingsStore::readCount(SettingsStore::ClipboardSeconds, DefaultClipboardSeconds);
    options.lockMinutes = SettingsStore::readCount(SettingsStore::LockMinutes, DefaultLockMinutes);
    options.lockOnMinimise = locksOnMinimise();
    options.expiryWarningDays = SettingsStore::readCount(SettingsStore::ExpiryWarningDays,
                                                         ExpiryNotice::DefaultWarningDays);
    return options;
}

void DatabaseLock::chooseOptions()
{
    SecurityOptions options = readOptions();
    if (!m_window.prompt().editOptions(&options))
        return;
    SettingsStore::write(SettingsStore::ClipboardSeconds,
                         QString::number(options.clipboardSeconds));
    SettingsStore::write(SettingsStore::LockMinutes, QString::number(options.lockMinutes));
    SettingsStore::write(SettingsStore::LockOnMinimise,
                         options.lockOnMinimise ? QStringLiteral("1") : QStringLiteral("0"));
    SettingsStore::write(SettingsStore::ExpiryWarningDays,
                         QString::number(options.expiryWarningDays));
    applySettings();
}

void DatabaseLock::applySettings()
{
    if (m_locked || !canLock())
        m_idle->stop();
    else
        m_idle->start(idleDelayMs());
}

bool DatabaseLock::closeDialogsFirst(Cause cause)
{
    // An open menu only shows commands: it is closed and the lock goes on.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        if (!popup->close())
            break;
    }
    // A dialog of the program may show a record, and the code that opened it goes on once it
    // returns: the dialogs are closed, and the lock follows once their handlers are done. The
    // user's own command waits for the dialog the user left open.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal) {
        m_dialogRetries = 0;
        return false;
    }
    if (cause == Cause::Command || ++m_dialogRetries > DialogRetries) {
        m_dialogRetries = 0;
        return true;
    }
    modal->close();
    QTimer::singleShot(DialogRetryMs, this, [this, cause] { lock(cause); });
    return true;
}

bool DatabaseLock::lock(Cause cause)
{
    if (m_locked || !canLock())
        return m_locked;
    if (closeDialogsFirst(cause))
        return false;
    const Memory memory = remember();
    // Only the user's own command asks: a lock of its own accord comes when nobody is there to
    // answer, and keeps the typing all the same.
    if (cause == Cause::Command && asksBeforeLocking(memory) &&
        !m_window.prompt().askYesNo(tr(KeepTypingQuestion), tr("Lock Database")))
        return false;
    m_memory = memory;
    m_lockedPath = m_session.address();
    // No connection to the file stays open: the search's own first, then the screens (their
    // lists read through the shared connection), then the shared one; the key is wiped last.
    if (auto* search = loaded<SearchScreen>(QStringLiteral("frmSearch")))
        search->stopSearching();
    WindowRegistry::closeChildScreens();
    m_session.lock();
    m_locked = true;
    m_idle->stop();

    m_screen =
        new LockScreen(m_session.displayName(), PassphraseKeyring::unavailableReason().isEmpty());
    connect(m_screen, &LockScreen::unlockRequested, this, [this](const QString& typed) {
        SecretBytes passphrase(typed);
        unlock(passphrase);
    });
    connect(m_screen, &LockScreen::keyringRequested, this, &DatabaseLock::unlockFromKeyring);
    if (!m_quickAdds.isEmpty())
        m_screen->showProblem(tr(QuickAddWaiting));
    m_host.hostScreen(m_screen);
    emit lockedChanged(true);
    return true;
}

DatabaseLock::Memory DatabaseLock::remember() const
{
    using Front = Memory::Front;
    Memory memory;
    auto* browse = loaded<BrowseScreen>(QStringLiteral("frmBrowse"));
    auto* search = loaded<SearchScreen>(QStringLiteral("frmSearch"));
    if (browse) {
        memory.list = Front::Browse;
        memory.program = browse->program();
    } else if (search) {
        memory.list = Front::Search;
        memory.keywords = search->lastKeywords();
        memory.field = search->lastField();
    }
    if (auto* edit = shown<EditScreen>(QStringLiteral("frmEdit"))) {
        memory.front = Front::Edit;
        memory.editedId = edit->recordId();
        memory.editTyping = edit->typing();
    } else if (auto* add = shown<AddScreen>(QStringLiteral("frmAdd"))) {
        memory.front = Front::Add;
        memory.addTyping = add->typing();
    } else if (browse && browse->isVisibleTo(browse->window())) {
        memory.front = Front::Browse;
    } else if (search && search->isVisibleTo(search->window())) {
        memory.front = Front::Search;
    }
    return memory;
}

bool DatabaseLock::asksBeforeLocking(const Memory& memory) const
{
    if (memory.front == Memory::Front::Edit) {
        const EditScreen::Typing& typing = memory.editTyping;
        return typing.version || typing.name || typing.serial;
    }
    auto* add = shown<AddScreen>(QStringLiteral("frmAdd"));
    return memory.front == Memory::Front::Add && add && add->holdsTyping();
}

bool DatabaseLock::unlock(const SecretBytes& passphrase)
{
    if (!m_locked)
        return true;
    StoreError why;
    switch (m_session.checkPassphrase(m_lockedPath, passphrase, &why)) {
    case DatabaseSession::PassphraseCheck::Right:
        break;
    case DatabaseSession::PassphraseCheck::Wrong:
        if (m_screen)
            m_screen->showProblem(StoreError::wrongPassphrase().message());
        return false;
    case DatabaseSession::PassphraseCheck::Failed:
        if (m_screen)
            m_screen->showProblem(why.message());
        return false;
    }
    m_session.keys().remember(m_lockedPath, passphrase);
    m_unlocking = true;
    StoreError failure;
    const bool opened = m_window.openConnection(&failure);
    m_unlocking = false;
    if (!opened) {
        m_session.lock();
        if (m_screen)
            m_screen->showProblem(failure.message());
        return false;
    }
    m_locked = false;
    if (m_screen) {
        m_screen->hide();
        m_screen->deleteLater();
    }
    restore(m_memory);
    m_memory = Memory();
    applySettings();
    emit lockedChanged(false);
    const QStringList due = m_quickAdds;
    m_quickAdds.clear();
    for (const QString& text : due)
        emit quickAddDue(text);
    return true;
}

bool DatabaseLock::unlockFromKeyring()
{
    SecretBytes kept;
    QString error;
    if (!PassphraseKeyring::read(m_lockedPath, &kept, &error)) {
        if (m_screen)
            m_screen->showProblem(
                error.isEmpty() ? tr("The keyring keeps no passphrase for this database.") : error);
        return false;
    }
    return unlock(kept);
}

void DatabaseLock::showLockScreen()
{
    if (m_screen)
        m_host.hostScreen(m_screen);
}

void DatabaseLock::keepQuickAdd(const QString& text)
{
    m_quickAdds.append(text);
    if (m_screen)
        m_screen->showProblem(tr(QuickAddWaiting));
    showLockScreen();
}

void DatabaseLock::dropLock()
{
    // The database in use is another one now: nothing of the locked one is given back.
    m_locked = false;
    m_memory = Memory();
    if (m_screen) {
        m_screen->hide();
        m_screen->deleteLater();
    }
    emit lockedChanged(false);
    const QStringList due = m_quickAdds;
    m_quickAdds.clear();
    for (const QString& text : due)
        emit quickAddDue(text);
}

void DatabaseLock::restoreList(const Memory& memory)
{
    using Front = Memory::Front;
    if (memory.list == Front::Browse) {
        auto* browse = qobject_cast<BrowseScreen*>(m_host.recordScreen(ScreenHost::Screen::Browse));
        m_host.hostScreen(browse);
        if (!memory.program.isEmpty())
            browse->showProgram(memory.program);
    } else if (memory.list == Front::Search) {
        auto* search = qobject_cast<SearchScreen*>(m_host.recordScreen(ScreenHost::Screen::Search));
        m_host.hostScreen(search);
        if (!memory.keywords.isEmpty())
            search->runSearch(memory.keywords, memory.field);
    }
}

void DatabaseLock::restore(const Memory& memory)
{
    using Front = Memory::Front;
    switch (memory.front) {
    case Front::Browser:
        m_host.showBrowser();
        break;
    case Front::Browse:
    case Front::Search:
        restoreList(memory);
        break;
    case Front::Add: {
        auto* add = qobject_cast<AddScreen*>(m_host.recordScreen(ScreenHost::Screen::Add));
        m_host.hostScreen(add);
        if (memory.addTyping)
            add->restoreTyping(*memory.addTyping);
        break;
    }
    case Front::Edit: {
        restoreList(memory);
        RecordHandOver& state = recordHandOver();
        state.selectedId = memory.editedId;
        state.caller = nullptr;
        if (memory.list == Front::Browse)
            state.caller = loaded<BrowseScreen>(QStringLiteral("frmBrowse"));
        else if (memory.list == Front::Search)
            state.caller = loaded<SearchScreen>(QStringLiteral("frmSearch"));
        auto* edit = qobject_cast<EditScreen*>(m_host.recordScreen(ScreenHost::Screen::Edit));
        m_host.hostScreen(edit);
        edit->restoreTyping(memory.editTyping);
        break;
    }
    }
}
