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
// The option as the about window's OK applies it.
bool apply(bool enabled, const QString& programFolder, QString* error = nullptr);

} // namespace QuickAddRegistration
