#pragma once

#include <QList>
#include <QString>

// On Windows the browsers find a native host through the registry: under each browser's
// NativeMessagingHosts key, a key named after the host whose default value is the full path of
// the host's manifest file. The table is plain data, the same on every system; only writing it
// needs Windows.
namespace NativeHostRegistry {

struct Entry
{
    // Below HKEY_CURRENT_USER, with "\" between the parts.
    QString key;
    // The manifest the key's default value names.
    QString manifestPath;

    bool operator==(const Entry& other) const
    {
        return key == other.key && manifestPath == other.manifestPath;
    }
};

// The manifests live in manifestFolder: HostName + ".chromium.json" for the Chromium family
// (Chromium, Google Chrome, Microsoft Edge), HostName + ".firefox.json" for Firefox.
QString chromiumManifestPath(const QString& manifestFolder);
QString firefoxManifestPath(const QString& manifestFolder);
QList<Entry> entries(const QString& manifestFolder);

#ifdef Q_OS_WIN
// Writes every entry's default value; every entry is attempted.
bool write(const QList<Entry>& table, QString* error);
// Removes every entry's key; a key that is not there is no failure.
bool remove(const QList<Entry>& table, QString* error);
#endif

} // namespace NativeHostRegistry
