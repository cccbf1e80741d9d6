#pragma once

#include "screens/AddScreen.h"
#include "screens/EditScreen.h"
#include "screens/LockScreen.h"
#include "store/records/RecordStore.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <optional>

class DatabaseSession;
class DatabaseWindow;
class DesktopLockWatch;
class IdleTimer;
class Prompt;
class SecretBytes;

// The lock of a protected database: after a time without input, when the desktop session
// locks, on "Lock Database", and (when chosen) on minimising to the tray. Locking closes every
// screen with records, every connection to the file and forgets the file's key; the window
// then shows only the passphrase field. Unlocking with the right passphrase opens the file
// again and gives back the screens the user was on, with what was typed on the add or edit
// screen (kept in memory only). Databases on servers and plain files do not lock.
class DatabaseLock final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DatabaseLock)

public:
    enum class Cause
    {
        Command,  // "Lock Database" (Ctrl+L): asks first over unsaved typing
        Idle,     // no input for the set time
        Desktop,  // the desktop session locked
        Minimised // minimised to the tray with LockOnMinimise set
    };

    // The host is where screens are hosted and the lock screen shown; the window opens the
    // connection again and asks the questions.
    DatabaseLock(ScreenHost& host, DatabaseWindow& window, QObject* parent = nullptr);
    ~DatabaseLock() override;

    // Why the database in use cannot be locked now; empty when it can.
    QString whyNotLockable() const;
    bool canLock() const { return whyNotLockable().isEmpty(); }
    bool isLocked() const { return m_locked; }

    // Locks the database; false when it is not locked (it cannot be, the user kept it open,
    // or a dialog of the program is being closed first and the lock follows in a moment).
    bool lock(Cause cause = Cause::Command);
    // Unlocks with the passphrase; false when it did not (the lock screen says why).
    bool unlock(const SecretBytes& passphrase);
    // Unlocks with the passphrase kept in the desktop's keyring.
    bool unlockFromKeyring();
    // Shows the lock screen in front again (a button or a menu asked for a screen).
    void showLockScreen();
    LockScreen* lockScreen() const { return m_screen; }

    // A quick add that arrived while locked: it is handed back (quickAddDue) once unlocked.
    void keepQuickAdd(const QString& text);
    QStringList waitingQuickAdds() const { return m_quickAdds; }

    // The Options dialog: clipboard seconds, lock minutes and locking on minimising.
    void chooseOptions();
    static SecurityOptions readOptions();
    // Starts the wait for idleness anew from the settings (LockSeconds, else LockMinutes).
    void applySettings();
    // The delay of the idle lock in milliseconds; 0 when it never locks by itself.
    static int idleDelayMs();
    static bool locksOnMinimise();

    IdleTimer* idleTimer() const { return m_idle; }
    DesktopLockWatch* desktopWatch() const { return m_desktop; }

signals:
    void lockedChanged(bool locked);
    // A quick-add text kept while locked is due, the database being open again.
    void quickAddDue(const QString& text);

private:
    // Where the user was, to be given back after the unlock.
    struct Memory
    {
        enum class Front
        {
            Browser,
            Add,
            Browse,
            Search,
            Edit
        };
        Front front = Front::Browser;
        // The list beneath the edit screen (Browse or Search), or the list in front.
        Front list = Front::Browser;
        QString program;
        QString keywords;
        RecordStore::SearchField field = RecordStore::SearchField::All;
        QString editedId;
        EditScreen::Typing editTyping;
        std::optional<AddScreen::Typing> addTyping;
    };
    Memory remember() const;
    bool asksBeforeLocking(const Memory& memory) const;
    void restore(const Memory& memory);
    void restoreList(const Memory& memory);
    void dropLock();
    bool closeDialogsFirst(Cause cause);

    ScreenHost& m_host;
    DatabaseWindow& m_window;
    DatabaseSession& m_session;
    IdleTimer* m_idle = nullptr;
    DesktopLockWatch* m_desktop = nullptr;
    QPointer<LockScreen> m_screen;
    bool m_locked = false;
    bool m_unlocking = false;
    int m_dialogRetries = 0;
    QString m_lockedPath;
    Memory m_memory;
    QStringList m_quickAdds;
};
