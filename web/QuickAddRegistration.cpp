#include "web/QuickAddRegistration.h"

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

bool apply(bool enabled, const QString& programFolder, QString* error)
{
    return enabled ? registerQuickAdd(programFolder, error) : removeQuickAdd(error);
}

} // namespace QuickAddRegistration
