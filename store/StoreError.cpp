#include "store/StoreError.h"

StoreError StoreError::noDatabase()
{
    return {Kind::NoDatabase, QStringLiteral("No database is open!  Please choose your database "
                                             "with \"DB\" > \"Open Database\" first.")};
}

StoreError StoreError::inUse()
{
    return {Kind::InUse, QStringLiteral("The database file is in use by another program.")};
}

StoreError StoreError::damaged()
{
    return {Kind::Damaged,
            QStringLiteral("The database file is damaged!  Numira leaves it as it is, so that "
                           "nothing more is lost.  Please open your latest backup of it instead.")};
}

StoreError StoreError::damagedIndex(const QStringList& indexes)
{
    return {
        Kind::DamagedIndex,
        QStringLiteral("The database's index %1 does not match its records; the records "
                       "themselves are whole, and rebuilding the index from them mends the file.")
            .arg(QStringLiteral("\"%1\"").arg(indexes.join(QStringLiteral("\", \""))))};
}

StoreError StoreError::diskFull()
{
    return {Kind::DiskFull, QStringLiteral("The disk is full.")};
}

StoreError StoreError::readOnly()
{
    return {Kind::ReadOnly, QStringLiteral("You may not change this database.")};
}

StoreError StoreError::wrongPassphrase()
{
    return {Kind::WrongPassphrase, QStringLiteral("The passphrase is not right.")};
}

StoreError StoreError::needsPassphrase(const QString& path)
{
    return {Kind::NeedsPassphrase,
            QStringLiteral("\"%1\" is protected by a passphrase.").arg(path)};
}
