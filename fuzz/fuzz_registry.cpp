// The registry file: any content is read as a registry or refused as damaged, and a damaged
// file is never replaced by a write.

#include "web/RegistryFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

using namespace RegistryFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("registry.json"));
    const QByteArray content(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != size)
            return 0;
    }
    setStoreFile(path);
    const QString key = QStringLiteral("Software\\Numira\\Key");
    for (const QString& name : valueNames(Hive::CurrentUser, key))
        readValue(Hive::CurrentUser, key, name);
    keyExists(Hive::CurrentUser, QStringLiteral("Software"));
    QString error;
    if (!writeStringValue(Hive::CurrentUser, key, QStringLiteral("v"), QStringLiteral("x"),
                          &error)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.readAll() != content)
            std::abort();
    } else if (!readValue(Hive::CurrentUser, key, QStringLiteral("v"))) {
        std::abort();
    }
    return 0;
}
