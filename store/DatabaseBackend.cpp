#include "store/DatabaseBackend.h"

#include "store/DatabaseAddress.h"
#include "store/server/ServerBackend.h"
#include "store/sqlite/FileBackend.h"

#include <QSqlDriver>

const DatabaseBackend& DatabaseBackend::forAddress(const QString& address)
{
    if (DatabaseAddress(address).isServer())
        return ServerBackend::instance();
    return FileBackend::instance();
}

const DatabaseBackend& DatabaseBackend::of(const QSqlDatabase& db)
{
    return of(db.isValid() ? db.driver() : nullptr);
}

const DatabaseBackend& DatabaseBackend::of(const QSqlDriver* driver)
{
    if (driver && driver->dbmsType() == QSqlDriver::PostgreSQL)
        return ServerBackend::instance();
    return FileBackend::instance();
}
