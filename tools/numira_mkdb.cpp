// Makes an empty Numira database from the schema file, unless the database exists already.

#include "store/sqlite/SchemaFile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: numira_mkdb SCHEMA.sql DATABASE.mdb\n";
        return 2;
    }
    if (QFileInfo::exists(args.at(2)))
        return 0;
    QString error;
    if (!SchemaFile::createDatabase(args.at(2), args.at(1), &error)) {
        err << "numira_mkdb: " << error << "\n";
        return 1;
    }
    return 0;
}
