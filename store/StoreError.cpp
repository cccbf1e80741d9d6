#include "store/StoreError.h"

#include <QCoreApplication>

StoreError StoreError::noDatabase()
{
    return {Kind::NoDatabase, QCoreApplication::translate(
                                  "StoreError", "No database is open!  Please choose your database "
                                                "with \"DB\" > \"Open Database\" first.")};
}

StoreError StoreError::inUse()
{
    return {Kind::InUse, QCoreApplication::translate(
                             "StoreError", "The database file is in use by another program.")};
}

StoreError StoreError::damaged()
{
    return {Kind::Damaged,
            QCoreApplication::translate(
                "StoreError",
                "The database file is damaged!  Numira leaves it as it is, so that "
                "nothing more is lost.  Please open your latest backup of it instead.")};
}

StoreError StoreError::damagedIndex(const QStringList& indexes)
{
    return {Kind::DamagedIndex,
            QCoreApplication::translate(
                "StoreError",
                "The database's index %1 does not match its records; the records "
                "themselves are whole, and rebuilding the index from them mends the file.")
                .arg(QStringLiteral("\"%1\"").arg(indexes.join(QStringLiteral("\", \""))))};
}

StoreError StoreError::diskFull()
{
    return {Kind::DiskFull, QCoreApplication::translate("StoreError", "The disk is full.")};
}

StoreError StoreError::readOnly()
{
    return {Kind::ReadOnly,
            QCoreApplication::translate("StoreError", "You may not change this database.")};
}

StoreError StoreError::wrongPassphrase()
{
    return {Kind::WrongPassphrase,
            QCoreApplication::translate("StoreError", "The passphrase is not right.")};
}

StoreError StoreError::needsPassphrase(const QString& path)
{
    return {Kind::NeedsPassphrase,
            QCoreApplication::translate("StoreError", "\"%1\" is protected by a passphrase.")
                .arg(path)};
}
