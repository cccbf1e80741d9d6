#pragma once

#include <QString>

// The per-user settings: plain text values under "Numira"/"Info". A key that was never
// written reads as the empty text; nothing is ever deleted.
namespace SettingsStore {

inline const QString DBInUse = QStringLiteral("DBInUse");
inline const QString DefPath = QStringLiteral("DefPath");
inline const QString SkinInUse = QStringLiteral("SkinInUse");

QString read(const QString& key);
void write(const QString& key, const QString& value);

} // namespace SettingsStore
