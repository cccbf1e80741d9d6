#include "store/Compaction.h"

namespace Compaction {

QString temporaryName(const QString& dbPath)
{
    return dbPath.left(dbPath.size() - 4) + QStringLiteral("_tmp.mdb");
}

bool CompactDB(const QString& dbPath, QString* error)
{
    Q_UNUSED(dbPath)
    Q_UNUSED(error)
    return true;
}

} // namespace Compaction
