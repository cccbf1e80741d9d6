#pragma once

#include <QString>

// The per-user settings: plain text values under "Numira"/"Info". A key that was never
// written reads as the empty text; nothing is ever deleted.
namespace SettingsStore {

inline const QString DBInUse = QStringLiteral("DBInUse");
inline const QString DefPath = QStringLiteral("DefPath");
inline const QString SkinInUse = QStringLiteral("SkinInUse");
// The About window's quick-add option: "0" when the user turned it off. Empty (never set) and
// "1" mean on, so that a user who never opened Numira can use the browser's "Add to Numira".
// The native host reads it before it starts anything.
inline const QString QuickAdd = QStringLiteral("QuickAdd");
// The browser folders that writing the per-user host manifests had to create, one a line, so
// that removing the manifests removes those folders (when empty) and no others.
inline const QString QuickAddFolders = QStringLiteral("QuickAddFolders");

// How many seconds a copied serial stays on the clipboard before Numira clears it; 0 leaves it
// there. Unset: 30.
inline const QString ClipboardSeconds = QStringLiteral("ClipboardSeconds");
// How many minutes without input in Numira's windows lock a protected database; 0 never.
// Unset: 15.
inline const QString LockMinutes = QStringLiteral("LockMinutes");
// Set, the lock's delay in seconds instead of LockMinutes (not offered in the Options dialog).
inline const QString LockSeconds = QStringLiteral("LockSeconds");
// "1": minimising to the tray locks a protected database. Unset: off.
inline const QString LockOnMinimise = QStringLiteral("LockOnMinimise");

// How many days before its expiry date a licence is marked in the lists and spoken of from the
// tray. Unset: 30.
inline const QString ExpiryWarningDays = QStringLiteral("ExpiryWarningDays");
// The last word from the tray about expiring licences: its day and a digest of the records it
// named ("2026-12-07 3f2a..."), so that the same licences are not told of twice in one day.
inline const QString ExpiryNotice = QStringLiteral("ExpiryNotice");

QString read(const QString& key);
// The key's value as a whole number of at least 0; the fallback when it is unset or not one.
int readCount(const QString& key, int fallback);
void write(const QString& key, const QString& value);

} // namespace SettingsStore
