#include "web/RegistryFile.h"

#include "store/AppInfo.h"
#include "store/BoundedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSettings>

namespace RegistryFile {

namespace {

QString g_storeFile;

const QString TypeField = QStringLiteral("type");
const QString DataField = QStringLiteral("data");
const QString FormatField = QStringLiteral("format");
const QString FormatName = QStringLiteral("Numira per-user registry 1");

QString hiveName(Hive hive)
{
    switch (hive) {
    case Hive::CurrentUser:
        break;
    }
    return QStringLiteral("HKEY_CURRENT_USER");
}

QString typeName(ValueType type)
{
    return type == ValueType::Binary ? QStringLiteral("REG_BINARY") : QStringLiteral("REG_SZ");
}

std::optional<ValueType> typeFromName(const QString& name)
{
    if (name == QLatin1String("REG_SZ"))
        return ValueType::String;
    if (name == QLatin1String("REG_BINARY"))
        return ValueType::Binary;
    return std::nullopt;
}

constexpr qint64 RegistryLimit = 4 << 20;

// The whole file as read: a missing file is an empty registry, an unreadable or damaged one
// an error, so that a write never replaces entries it could not read.
bool load(QJsonObject* root, QString* error)
{
    const QString path = storeFile();
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) {
        *root = QJsonObject();
        return true;
    }
    // Only an ordinary file of a sensible size: a pipe put in its place must not hang.
    QByteArray content;
    QString why;
    if (!BoundedFile::read(path, RegistryLimit, &content, &why)) {
        if (error)
            *error = QStringLiteral("cannot read %1: %2").arg(path, why);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(content, &parseError);
    if (!document.isObject()) {
        if (error)
            *error = QStringLiteral("%1 is damaged: %2").arg(path, parseError.errorString());
        return false;
    }
    *root = document.object();
    return true;
}

bool save(QJsonObject root, QString* error)
{
    root.insert(FormatField, FormatName);
    const QString path = storeFile();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.write(QJsonDocument(root).toJson(QJsonDocument::Indented));
    if (!file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// The stored spelling of a name matched without regard to case, or the name itself.
QString storedName(const QJsonObject& object, const QString& name)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    }
    return name;
}

bool hasKeysBelow(const QJsonObject& hive, const QString& keyPath)
{
    const QString prefix = keyPath + QLatin1Char('\\');
    for (auto it = hive.begin(); it != hive.end(); ++it) {
        if (it.key().startsWith(prefix, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool writeValue(Hive hive, const QString& keyPath, const QString& valueName, ValueType type,
                const QByteArray& bytes, QString* error)
{
    if (keyPath.isEmpty()) {
        if (error)
            *error = QStringLiteral("no key given");
        return false;
    }
    QJsonObject root;
    if (!load(&root, error))
        return false;
    QJsonObject hiveObject = root.value(hiveName(hive)).toObject();
    const QString key = storedName(hiveObject, keyPath);
    QJsonObject values = hiveObject.value(key).toObject();
    QJsonObject value;
    value.insert(TypeField, typeName(type));
    value.insert(DataField, QString::fromLatin1(bytes.toHex()));
    values.insert(storedName(values, valueName), value);
    hiveObject.insert(key, values);
    root.insert(hiveName(hive), hiveObject);
    return save(root, error);
}

QJsonObject readHive(Hive hive)
{
    QJsonObject root;
    if (!load(&root, nullptr))
        return QJsonObject();
    return root.value(hiveName(hive)).toObject();
}

} // namespace

bool writeStringValue(Hive hive, const QString& keyPath, const QString& valueName,
                      const QString& text, QString* error)
{
    QByteArray bytes = text.toLocal8Bit();
    bytes.append('\0');
    return writeValue(hive, keyPath, valueName, ValueType::String, bytes, error);
}

bool writeBinaryValue(Hive hive, const QString& keyPath, const QString& valueName,
                      const QByteArray& bytes, QString* error)
{
    return writeValue(hive, keyPath, valueName, ValueType::Binary, bytes, error);
}

bool deleteKey(Hive hive, const QString& keyPath, QString* error)
{
    QJsonObject root;
    if (!load(&root, error))
        return false;
    QJsonObject hiveObject = root.value(hiveName(hive)).toObject();
    const QString key = storedName(hiveObject, keyPath);
    if (!hiveObject.contains(key)) {
        if (error)
            *error = QStringLiteral("no key %1").arg(keyPath);
        return false;
    }
    if (hasKeysBelow(hiveObject, key)) {
        if (error)
            *error = QStringLiteral("the key %1 has keys below it").arg(keyPath);
        return false;
    }
    hiveObject.remove(key);
    root.insert(hiveName(hive), hiveObject);
    return save(root, error);
}

bool keyExists(Hive hive, const QString& keyPath)
{
    const QJsonObject hiveObject = readHive(hive);
    return hiveObject.contains(storedName(hiveObject, keyPath)) ||
           hasKeysBelow(hiveObject, keyPath);
}

QStringList valueNames(Hive hive, const QString& keyPath)
{
    const QJsonObject hiveObject = readHive(hive);
    return hiveObject.value(storedName(hiveObject, keyPath)).toObject().keys();
}

std::optional<RegistryValue> readValue(Hive hive, const QString& keyPath, const QString& valueName)
{
    const QJsonObject hiveObject = readHive(hive);
    const QJsonObject values = hiveObject.value(storedName(hiveObject, keyPath)).toObject();
    const QString name = storedName(values, valueName);
    if (!values.contains(name))
        return std::nullopt;
    const QJsonObject value = values.value(name).toObject();
    const std::optional<ValueType> type = typeFromName(value.value(TypeField).toString());
    if (!type)
        return std::nullopt;
    return RegistryValue{*type, QByteArray::fromHex(value.value(DataField).toString().toLatin1())};
}

QString storeFile()
{
    if (!g_storeFile.isEmpty())
        return g_storeFile;
    const QSettings settings(AppInfo::SettingsOrganisation, AppInfo::SettingsApplication);
    return QFileInfo(settings.fileName()).absolutePath() + QStringLiteral("/registry.json");
}

void setStoreFile(const QString& path)
{
    g_storeFile = path;
}

} // namespace RegistryFile
