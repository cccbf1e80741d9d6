#include "web/NativeHostManifests.h"

#include "web/QuickAddExtension.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

#include <algorithm>

bool NativeHostManifests::writeManifest(const QString& path, const QJsonObject& manifest,
                                        QStringList* createdFolders, QString* error)
{
    const QString folder = QFileInfo(path).absolutePath();
    // The folders that are missing now, outermost first, so that each one Numira makes can be
    // told from one it found.
    QStringList missing;
    for (QString step = folder; !QFileInfo::exists(step) && QDir(step) != QDir::root();
         step = QFileInfo(step).absolutePath())
        missing.prepend(QDir::cleanPath(step));
    for (const QString& step : std::as_const(missing)) {
        if (!QDir().mkdir(step)) {
            *error = tr("Cannot create the folder %1.").arg(QDir::toNativeSeparators(step));
            return false;
        }
        if (createdFolders && !createdFolders->contains(step))
            createdFolders->append(step);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(QJsonDocument(manifest).toJson(QJsonDocument::Indented)) < 0 || !file.commit()) {
        *error = tr("Cannot write %1 in the folder %2: %3.")
                     .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(folder),
                          file.errorString());
        return false;
    }
    return true;
}

NativeHostManifests::NativeHostManifests(const QString& homeFolder, const QString& hostPath,
                                         const QString& configFolder)
    : m_homeFolder(homeFolder), m_hostPath(hostPath), m_configFolder(configFolder)
{
}

NativeHostManifests::NativeHostManifests(const QString& homeFolder, const QString& hostPath)
    : NativeHostManifests(homeFolder, hostPath,
                          configFolderFor(homeFolder, qEnvironmentVariable("XDG_CONFIG_HOME")))
{
}

QString NativeHostManifests::configFolderFor(const QString& homeFolder,
                                             const QString& xdgConfigHome)
{
    // The XDG rule: a relative value is invalid and ignored.
    if (!xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome))
        return QDir::cleanPath(xdgConfigHome);
    return QDir(homeFolder).filePath(QStringLiteral(".config"));
}

QString NativeHostManifests::chromiumManifestPath() const
{
    return manifestIn(m_configFolder + QStringLiteral("/chromium/NativeMessagingHosts"));
}

QString NativeHostManifests::chromeManifestPath() const
{
    return manifestIn(m_configFolder + QStringLiteral("/google-chrome/NativeMessagingHosts"));
}

QString NativeHostManifests::firefoxManifestPath() const
{
    // Firefox does not follow XDG_CONFIG_HOME for this folder.
    return manifestIn(
        QDir(m_homeFolder).filePath(QStringLiteral(".mozilla/native-messaging-hosts")));
}

QStringList NativeHostManifests::manifestPaths() const
{
    return {chromiumManifestPath(), chromeManifestPath(), firefoxManifestPath()};
}

QString NativeHostManifests::manifestIn(const QString& folder) const
{
    return QDir::cleanPath(folder + QLatin1Char('/') + QuickAddExtension::HostName +
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

bool NativeHostManifests::install(QStringList* createdFolders, QString* error) const
{
    QStringList problems;
    const QList<std::pair<QString, QJsonObject>> manifests = {
        {chromiumManifestPath(), chromiumManifest()},
        {chromeManifestPath(), chromiumManifest()},
        {firefoxManifestPath(), firefoxManifest()},
    };
    for (const auto& [path, manifest] : manifests) {
        QString problem;
        if (!writeManifest(path, manifest, createdFolders, &problem))
            problems << problem;
    }
    if (error)
        *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

NativeHostManifests::Machine NativeHostManifests::thisMachine()
{
    return {qEnvironmentVariable("PATH"), QStringLiteral("/")};
}

QStringList NativeHostManifests::neededManifestPaths(const Machine& machine) const
{
    struct Browser
    {
        QString manifest;
        QString ownFolder;
        QStringList programs;
        QStringList systemFolders;
    };
    const QList<Browser> browsers = {
        {chromiumManifestPath(),
         m_configFolder + QStringLiteral("/chromium"),
         {QStringLiteral("chromium"), QStringLiteral("chromium-browser")},
         {QStringLiteral("etc/chromium/native-messaging-hosts")}},
        {chromeManifestPath(),
         m_configFolder + QStringLiteral("/google-chrome"),
         {QStringLiteral("google-chrome"), QStringLiteral("google-chrome-stable")},
         {QStringLiteral("etc/opt/chrome/native-messaging-hosts")}},
        {firefoxManifestPath(),
         QDir(m_homeFolder).filePath(QStringLiteral(".mozilla")),
         {QStringLiteral("firefox"), QStringLiteral("firefox-esr")},
         {QStringLiteral("usr/lib/mozilla/native-messaging-hosts"),
          QStringLiteral("usr/lib64/mozilla/native-messaging-hosts")}},
    };
    const QStringList searchFolders =
        machine.searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const auto installed = [&searchFolders](const Browser& browser) {
        if (QFileInfo(browser.ownFolder).isDir())
            return true;
        for (const QString& folder : searchFolders) {
            for (const QString& program : browser.programs) {
                const QFileInfo candidate(QDir(folder).filePath(program));
                if (candidate.isFile() && candidate.isExecutable())
                    return true;
            }
        }
        return false;
    };
    const auto servedSystemWide = [&](const Browser& browser) {
        for (const QString& folder : browser.systemFolders) {
            QFile file(QDir(machine.systemRoot).filePath(folder) + QLatin1Char('/') +
                       QFileInfo(browser.manifest).fileName());
            if (file.open(QIODevice::ReadOnly) &&
                QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("path")) ==
                    m_hostPath)
                return true;
        }
        return false;
    };
    QStringList needed;
    for (const Browser& browser : browsers) {
        if (installed(browser) && !servedSystemWide(browser))
            needed << browser.manifest;
    }
    return needed;
}

bool NativeHostManifests::installWhereNeeded(const Machine& machine, QStringList* createdFolders,
                                             QString* error) const
{
    const QStringList needed = neededManifestPaths(machine);
    QStringList problems;
    for (const QString& path : manifestPaths()) {
        QString problem;
        if (needed.contains(path)) {
            const QJsonObject manifest =
                path == firefoxManifestPath() ? firefoxManifest() : chromiumManifest();
            if (!writeManifest(path, manifest, createdFolders, &problem))
                problems << problem;
            continue;
        }
        // A manifest of this host that the browser no longer needs (a system-wide one serves
        // it now) is ours to remove; anything else there is left alone.
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) ||
            QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("path")) !=
                m_hostPath)
            continue;
        file.close();
        if (!file.remove())
            problems << tr("Cannot remove %1: %2.")
                            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    if (error)
        *error = problems.join(QLatin1Char('\n'));
    return problems.isEmpty();
}

bool NativeHostManifests::uninstall(const QStringList& createdFolders, QString* error) const
{
    QStringList problems;
    for (const QString& path : manifestPaths()) {
        QFile file(path);
        if (QFileInfo::exists(path) && !file.remove())
            problems << tr("Cannot remove %1: %2.")
                            .arg(QDir::toNativeSeparators(path), file.errorString());
    }
    // Deepest first, so that a folder Numira made inside another it made empties that one.
    QStringList folders = createdFolders;
    std::sort(folders.begin(), folders.end(), [](const QString& a, const QString& b) {
        return a.count(QLatin1Char('/')) > b.count(QLatin1Char('/'));
    });
    for (const QString& folder : std::as_const(folders)) {
        // rmdir() removes only an empty folder: whatever the browser or the user put there
        // keeps it.
        QDir().rmdir(folder);
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
