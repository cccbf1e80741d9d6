#pragma once

#include <QString>

// The two browser context-menu entries that start the program with the selected text: one
// for a text selection, one for form fields. Both point at the run page in the program folder.
namespace QuickAddRegistration {

inline const QString SelectionKey =
    QStringLiteral("Software\\Microsoft\\Internet Explorer\\MenuExt\\&Add to Numira");
inline const QString ControlsKey =
    QStringLiteral("Software\\Microsoft\\Internet Explorer\\MenuExt\\Add to &Numira");
inline const QString ContextsValue = QStringLiteral("Contexts");
// The browser's context bits, each written as a single byte.
inline constexpr char SelectionContext = 0x10;
inline constexpr char ControlsContext = 0x04;

QString runPagePath(const QString& programFolder);

// Writes both entries, default value first, then "Contexts". Every write is attempted; the
// result says whether all of them succeeded.
bool registerQuickAdd(const QString& programFolder, QString* error = nullptr);
// Deletes both keys; keys that are not there are no failure.
bool removeQuickAdd(QString* error = nullptr);
// Where the browser integration of this user points.
struct QuickAddPlaces
{
    QString programFolder;
    QString homeFolder;
    // The absolute path of numira-quickadd-host.
    QString hostPath;
};

// The native host beside the executable (a build folder), else in ../libexec/numira from it
// (an installed program).
QString hostProgramPath(const QString& executableFolder);

// The option as the about window's OK applies it. On Windows: the two context-menu entries
// above. Elsewhere: the native-messaging host manifests of Chromium, Google Chrome and
// Firefox, written or removed. False, with the reason, when any part failed.
bool apply(bool enabled, const QuickAddPlaces& places, QString* error = nullptr);

} // namespace QuickAddRegistration
