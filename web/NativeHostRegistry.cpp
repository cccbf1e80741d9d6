#include "web/NativeHostRegistry.h"

#include "web/QuickAddExtension.h"

#include <QCoreApplication>
#include <QDir>

#ifdef Q_OS_WIN
#include <QSettings>
#endif

namespace NativeHostRegistry {

QString chromiumManifestPath(const QString& manifestFolder)
{
    return QDir::toNativeSeparators(
        QDir(manifestFolder)
            .filePath(QuickAddExtension::HostName + QStringLiteral(".chromium.json")));
}

QString firefoxManifestPath(const QString& manifestFolder)
{
    return QDir::toNativeSeparators(
        QDir(manifestFolder)
            .filePath(QuickAddExtension::HostName + QStringLiteral(".firefox.json")));
}

QList<Entry> entries(const QString& manifestFolder)
{
    const QString host = QLatin1Char('\\') + QuickAddExtension::HostName;
    const QString chromium = chromiumManifestPath(manifestFolder);
    return {
        {QStringLiteral("Software\\Google\\Chrome\\NativeMessagingHosts") + host, chromium},
        {QStringLiteral("Software\\Chromium\\NativeMessagingHosts") + host, chromium},
        {QStringLiteral("Software\\Microsoft\\Edge\\NativeMessagingHosts") + host, chromium},
        {QStringLiteral("Software\\Mozilla\\NativeMessagingHosts") + host,
         firefoxManifestPath(manifestFolder)},
    };
}

#ifdef Q_OS_WIN

namespace {

QString nativeKey(const QString& key)
{
    return QStringLiteral("HKEY_CURRENT_USER\\") + key;
}

} // namespace

bool write(const QList<Entry>& table, QString* error)
{
    QStringList problems;
    for (const Entry& entry : table) {
        QSettings key(nativeKey(entry.key), QSettings::NativeFormat);
        // "Default" names the key's default (unnamed) value.
        key.setValue(QStringLiteral("Default"), entry.manifestPath);
        key.sync();
        if (key.status() != QSettings::NoError)
            problems << QCoreApplication::translate("NativeHostRegistry",
                                                    "Cannot write the registry key %1.")
                            .arg(entry.key);
    }
    if (error)
        *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

bool remove(const QList<Entry>& table, QString* error)
{
    QStringList problems;
    for (const Entry& entry : table) {
        const qsizetype split = entry.key.lastIndexOf(QLatin1Char('\\'));
        QSettings parent(nativeKey(entry.key.left(split)), QSettings::NativeFormat);
        parent.remove(entry.key.mid(split + 1));
        parent.sync();
        if (parent.status() != QSettings::NoError)
            problems << QCoreApplication::translate("NativeHostRegistry",
                                                    "Cannot remove the registry key %1.")
                            .arg(entry.key);
    }
    if (error)
        *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

#endif

} // namespace NativeHostRegistry
