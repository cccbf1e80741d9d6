#include "web/QuickAddRegistration.h"

#include "store/SettingsStore.h"
#include "web/NativeHostManifests.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_WIN
#include "web/NativeHostRegistry.h"

#include <QStandardPaths>
#endif

namespace QuickAddRegistration {

QString hostProgramPath(const QString& executableFolder)
{
    const QString name = QStringLiteral("numira-quickadd-host");
    const QString beside = executableFolder + QLatin1Char('/') + name;
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(executableFolder + QStringLiteral("/../libexec/numira/") + name);
}

bool isEnabledForUser()
{
    return SettingsStore::read(SettingsStore::QuickAdd) != QLatin1String("0");
}

#ifdef Q_OS_WIN

bool apply(bool enabled, const QuickAddPlaces& places, QString* error)
{
    SettingsStore::write(SettingsStore::QuickAdd,
                         enabled ? QStringLiteral("1") : QStringLiteral("0"));
    const QString folder =
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
            .filePath(QStringLiteral("NativeMessagingHosts"));
    const QList<NativeHostRegistry::Entry> table = NativeHostRegistry::entries(folder);
    if (!enabled)
        return NativeHostRegistry::remove(table, error);
    const NativeHostManifests manifests(places.homeFolder,
                                        QDir::toNativeSeparators(places.hostPath));
    QString problem;
    if (!NativeHostManifests::writeManifest(NativeHostRegistry::chromiumManifestPath(folder),
                                            manifests.chromiumManifest(), nullptr, &problem) ||
        !NativeHostManifests::writeManifest(NativeHostRegistry::firefoxManifestPath(folder),
                                            manifests.firefoxManifest(), nullptr, &problem)) {
        if (error)
            *error = problem;
        return false;
    }
    return NativeHostRegistry::write(table, error);
}

#else

bool apply(bool enabled, const QuickAddPlaces& places, QString* error)
{
    SettingsStore::write(SettingsStore::QuickAdd,
                         enabled ? QStringLiteral("1") : QStringLiteral("0"));
    const NativeHostManifests manifests(places.homeFolder, places.hostPath);
    QStringList created = SettingsStore::read(SettingsStore::QuickAddFolders)
                              .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    bool ok = false;
    if (enabled) {
        ok = manifests.installWhereNeeded(NativeHostManifests::thisMachine(), &created, error);
    } else {
        ok = manifests.uninstall(created, error);
        // Only folders still there are remembered: one that now holds something of someone
        // else's stays, and is removed later if it empties.
        created.erase(
            std::remove_if(created.begin(), created.end(),
                           [](const QString& folder) { return !QFileInfo::exists(folder); }),
            created.end());
    }
    SettingsStore::write(SettingsStore::QuickAddFolders, created.join(QLatin1Char('\n')));
    return ok;
}

#endif

} // namespace QuickAddRegistration
