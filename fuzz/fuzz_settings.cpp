// The settings file: whatever it holds, the three values read back as text, and a database
// path survives the round trip through its connection string.

#include "store/Database.h"
#include "store/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static const bool ready = [] {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
        return true;
    }();
    Q_UNUSED(ready)
    const QString path = folder.filePath(QStringLiteral("Numira/Numira.conf"));
    QDir().mkpath(folder.filePath(QStringLiteral("Numira")));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            return 0;
    }
    const QString dbPath = SettingsStore::read(SettingsStore::DBInUse);
    SettingsStore::read(SettingsStore::DefPath);
    SettingsStore::read(SettingsStore::SkinInUse);
    if (Database::pathFromConnectionString(Database::connectionStringFor(dbPath)) != dbPath)
        std::abort();
    return 0;
}
