#pragma once

#include <QString>

// The names that tie the browser extension in data/extension to the native host and to the
// host manifests. The extension's files must agree with them.
namespace QuickAddExtension {

// The native host's name: the extension's sendNativeMessage target and the manifest file name
// (HostName + ".json").
inline const QString HostName = QStringLiteral("org.numira.quickadd");

// Chromium derives the extension's id from the "key" in manifest.json: the first 32 hex digits
// of sha256 of the key, each digit 0-f written as a-p. A new key means a new id here.
inline const QString ChromiumId = QStringLiteral("joefcafdojacpibgkjcnbpfaeballeki");

// browser_specific_settings.gecko.id in manifest.json.
inline const QString FirefoxId = QStringLiteral("quickadd@numira.org");

// The one argument the host starts Numira with: this prefix, then the text exactly as the
// browser sent it. Qt leaves an argument of this form alone.
inline const QString AddSerialOption = QStringLiteral("--add-serial=");

} // namespace QuickAddExtension
