#include "store/SettingsStore.h"

#include "store/AppInfo.h"

#include <QSettings>

namespace {

QString fullKey(const QString& key)
{
    return AppInfo::SettingsSection + QLatin1Char('/') + key;
}

} // namespace

namespace SettingsStore {

QString read(const QString& key)
{
    QSettings settings(AppInfo::SettingsOrganisation, AppInfo::SettingsApplication);
    return settings.value(fullKey(key), QString()).toString();
}

int readCount(const QString& key, int fallback)
{
    bool ok = false;
    const int value = read(key).trimmed().toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

void write(const QString& key, const QString& value)
{
    QSettings settings(AppInfo::SettingsOrganisation, AppInfo::SettingsApplication);
    settings.setValue(fullKey(key), value);
    settings.sync();
}

} // namespace SettingsStore
