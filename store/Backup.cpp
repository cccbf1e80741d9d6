#include "store/Backup.h"

namespace Backup {

QString proposedBackupPath(const QDate& date, const QString& homeFolder)
{
    return homeFolder + QStringLiteral("/NumiraBackup") + date.toString(QStringLiteral("MM-dd-yyyy"))
           + QStringLiteral(".mdb");
}

bool copyDatabase(const QString& source, const QString& target, QString* error)
{
    Q_UNUSED(source)
    Q_UNUSED(target)
    if (error)
        *error = QStringLiteral("Backup is not built yet.");
    return false;
}

} // namespace Backup
