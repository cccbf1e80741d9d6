// The database path from the settings (DBInUse), whatever text it holds, through Numira's own
// handling of it: the connection string gives back the same path, and the file of that name
// opens as itself, with no other file made beside it (the path reaches SQLite as a URI, where
// "?", "#" and "%" mean something). The settings file's own syntax is Qt's parser, which is
// not built for coverage; the value is handed to Numira's code directly.

#include "store/DatabaseSession.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SqliteDriver.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

const QString Template = QStringLiteral("template.db");

// A small SQLite file to copy under the fuzzed name.
bool makeTemplate(const QDir& folder)
{
    bool made = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "fuzz-template");
        db.setDatabaseName(folder.filePath(Template));
        made = db.open() && QSqlQuery(db).exec(QStringLiteral("CREATE TABLE marker (a)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz-template"));
    return made;
}

// The value as the name of a file in one folder: no separators, no NUL, within NAME_MAX.
QString fileNameFor(QString value)
{
    value.remove(QChar(0));
    value.replace(QLatin1Char('/'), QLatin1Char('_'));
    while (QFile::encodeName(value).size() > 250)
        value.chop(1);
    if (value.isEmpty() || value == QLatin1String(".") || value == QLatin1String("..") ||
        value == Template)
        return QString();
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_settings";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir temporary;
    static const QDir folder(temporary.path());
    static const bool ready = makeTemplate(folder);
    if (!ready)
        std::abort();

    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString fileName = fileNameFor(value);
    if (fileName.isEmpty())
        return 0;
    // Joined by hand: QDir would take a name that begins with ":" for a resource path.
    const QString path = folder.path() + QLatin1Char('/') + fileName;
    if (!QFile::copy(folder.filePath(Template), path))
        return 0; // a name the file system refuses
    bool sameFile = false;
    if (!FileBackend::instance().open(path, QStringLiteral("fuzz"), {})) {
        QSqlQuery marker(QSqlDatabase::database(QStringLiteral("fuzz"), false));
        sameFile = marker.exec(QStringLiteral("SELECT count(*) FROM marker")) && marker.next();
    }
    DatabaseSession::removeConnection(QStringLiteral("fuzz"));
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    QFile::remove(path);
    if (!sameFile || entries.size() != 2)
        std::abort();
    return 0;
}
