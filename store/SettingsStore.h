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

QString read(const QString& key);
void write(const QString& key, const QString& value);

} // namespace SettingsStore
