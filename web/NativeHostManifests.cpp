#include "web/NativeHostManifests.h"

#include "web/QuickAddExtension.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace {

bool writeManifest(const QString& path, const QJsonObject& manifest, QString* error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error =
            QStringLiteral("Cannot create the folder %1.").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(manifest).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        *error = QStringLiteral("Cannot write %1 in the folder %2: %3.")
                     .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(folder),
                          file.errorString());
        return false;
    }
    return true;
}

} // namespace

NativeHostManifests::NativeHostManifests(const QString& homeFolder, const QString& hostPath)
    : m_homeFolder(homeFolder), m_hostPath(hostPath)
{
}

QString NativeHostManifests::chromiumManifestPath() const
{
    return manifestIn(QStringLiteral(".config/chromium/NativeMessagingHosts"));
}

QString NativeHostManifests::chromeManifestPath() const
{
    return manifestIn(QStringLiteral(".config/google-chrome/NativeMessagingHosts"));
}

QString NativeHostManifests::firefoxManifestPath() const
{
    return manifestIn(QStringLiteral(".mozilla/native-messaging-hosts"));
}

QStringList NativeHostManifests::manifestPaths() const
{
    return {chromiumManifestPath(), chromeManifestPath(), firefoxManifestPath()};
}

QString NativeHostManifests::manifestIn(const QString& folder) const
{
    return QDir(m_homeFolder)
        .filePath(folder + QLatin1Char('/') + QuickAddExtension::HostName +
                  QStringLiteral(".json"));
}

QJsonObject NativeHostManifests::commonManifest() const
{
    return {
        {QStringLiteral("name"), QuickAddExtension::HostName},
        {QStringLiteral("description"),
         QStringLiteral("Numira quick add: opens selected text in Numira's add screen")},
        {QStringLiteral("path"), m_hostPath},
        {QStringLiteral("type"), QStringLiteral("stdio")},
    };
}

QJsonObject NativeHostManifests::chromiumManifest() const
{
    QJsonObject manifest = commonManifest();
    manifest.insert(
        QStringLiteral("allowed_origins"),
        QJsonArray{QStringLiteral("chrome-extension://%1/").arg(QuickAddExtension::ChromiumId)});
    return manifest;
}

QJsonObject NativeHostManifests::firefoxManifest() const
{
    QJsonObject manifest = commonManifest();
    manifest.insert(QStringLiteral("allowed_extensions"), QJsonArray{QuickAddExtension::FirefoxId});
    return manifest;
}

bool NativeHostManifests::install(QString* error) const
{
    QStringList problems;
    const QList<std::pair<QString, QJsonObject>> manifests = {
        {chromiumManifestPath(), chromiumManifest()},
        {chromeManifestPath(), chromiumManifest()},
        {firefoxManifestPath(), firefoxManifest()},
    };
    for (const auto& [path, manifest] : manifests) {
        QString problem;
        if (!writeManifest(path, manifest, &problem))
            problems << problem;
    }
    if (error)
        *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

bool NativeHostManifests::uninstall(QString* error) const
{
    QStringList problems;
    for (const QString& path : manifestPaths()) {
        QFile file(path);
        if (QFileInfo::exists(path) && !file.remove())
            problems << QStringLiteral("Cannot remove %1: %2.")
                            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    if (error)
        *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

bool NativeHostManifests::isInstalled() const
{
    for (const QString& path : manifestPaths()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QJsonObject manifest = QJsonDocument::fromJson(file.readAll()).object();
        if (manifest.value(QStringLiteral("path")).toString() != m_hostPath)
            return false;
    }
    return true;
}
