#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The per-user registry as the program uses it: keys holding named, typed values. Here it is
// a file of the program's own (JSON, beside the settings file) that keeps every value's name,
// type and bytes exactly. Key paths and value names are matched without regard to case and
// keep the case they were created with; the empty value name is the key's default value.
namespace RegistryFile {

enum class Hive
{
    CurrentUser
};

enum class ValueType : quint32
{
    String = 1,
    Binary = 3
}; // REG_SZ, REG_BINARY

struct RegistryValue
{
    ValueType type = ValueType::String;
    QByteArray data;
};

// Creates the key when it does not exist. The text is stored as 8-bit characters (the local
// encoding) followed by a terminating zero byte.
bool writeStringValue(Hive hive, const QString& keyPath, const QString& valueName,
                      const QString& text, QString* error = nullptr);
// Creates the key when it does not exist and stores exactly the bytes given.
bool writeBinaryValue(Hive hive, const QString& keyPath, const QString& valueName,
                      const QByteArray& bytes, QString* error = nullptr);
// Deletes a key with its values. A key that does not exist, or that still has keys below
// it, is refused and nothing changes.
bool deleteKey(Hive hive, const QString& keyPath, QString* error = nullptr);

// Reading, for the program's checks and for tests.
bool keyExists(Hive hive, const QString& keyPath);
QStringList valueNames(Hive hive, const QString& keyPath);
std::optional<RegistryValue> readValue(Hive hive, const QString& keyPath, const QString& valueName);

// The file that stands for the registry. Empty restores the default: "registry.json" in the
// folder of the per-user settings file.
QString storeFile();
void setStoreFile(const QString& path);

} // namespace RegistryFile
