#pragma once

#include <QString>

namespace AppInfo {

// The application title every message box carries unless it names its own.
inline const QString Title = QStringLiteral("Numira");

// Settings store location: organisation, application and section.
inline const QString SettingsOrganisation = QStringLiteral("Numira");
inline const QString SettingsApplication = QStringLiteral("Numira");
inline const QString SettingsSection = QStringLiteral("Info");

inline constexpr int VersionMajor = NUMIRA_VERSION_MAJOR;
inline constexpr int VersionMinor = NUMIRA_VERSION_MINOR;
inline constexpr int VersionRevision = NUMIRA_VERSION_PATCH;

} // namespace AppInfo
