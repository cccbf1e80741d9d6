#include "web/QuickAddRegistration.h"

#include "web/NativeHostManifests.h"

#include <QDir>
#include <QFileInfo>

#include "web/RegistryFile.h"

namespace QuickAddRegistration {

namespace {

using RegistryFile::Hive;

void keepFirstError(bool ok, const QString& failure, bool* allOk, QString* error)
{
    if (ok || !*allOk)
        return;
    *allOk = false;
    if (error)
        *error = failure;
}

} // namespace

QString runPagePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/NumiraRun.htm");
}

bool registerQuickAdd(const QString& programFolder, QString* error)
{
    const QString page = runPagePath(programFolder);
    const QList<QPair<QString, char>> entries = {{SelectionKey, SelectionContext},
                                                 {ControlsKey, ControlsContext}};
    bool allOk = true;
    for (const auto& [key, context] : entries) {
        QString failure;
        keepFirstError(
            RegistryFile::writeStringValue(Hive::CurrentUser, key, QString(), page, &failure),
            failure, &allOk, error);
        keepFirstError(RegistryFile::writeBinaryValue(Hive::CurrentUser, key, ContextsValue,
                                                      QByteArray(1, context), &failure),
                       failure, &allOk, error);
    }
    return allOk;
}

bool removeQuickAdd(QString* error)
{
    bool allOk = true;
    for (const QString& key : {SelectionKey, ControlsKey}) {
        if (!RegistryFile::keyExists(Hive::CurrentUser, key))
            continue;
        QString failure;
        keepFirstError(RegistryFile::deleteKey(Hive::CurrentUser, key, &failure), failure, &allOk,
                       error);
    }
    return allOk;
}

QString hostProgramPath(const QString& executableFolder)
{
    const QString name = QStringLiteral("numira-quickadd-host");
    const QString beside = executableFolder + QLatin1Char('/') + name;
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(executableFolder + QStringLiteral("/../libexec/numira/") + name);
}

bool apply(bool enabled, const QuickAddPlaces& places, QString* error)
{
#ifdef Q_OS_WIN
    return enabled ? registerQuickAdd(places.programFolder, error) : removeQuickAdd(error);
#else
    const NativeHostManifests manifests(places.homeFolder, places.hostPath);
    return enabled ? manifests.install(error) : manifests.uninstall(error);
#endif
}

} // namespace QuickAddRegistration
