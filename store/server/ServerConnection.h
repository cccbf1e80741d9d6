#pragma once

#include "store/StoreError.h"

#include <QString>

class SecretBytes;

// Connections to a PostgreSQL server through Qt's QPSQL driver, and the passwords given for
// servers during this run. ServerBackend is the door the rest of the program uses.
namespace ServerConnection {

// Opens the server the address names under the connection name and checks its tables
// (ServerSchema), making them on an empty database. False with a plain reason otherwise; the
// connection is then removed again.
StoreError open(const QString& address, const QString& connectionName);
// Whether the address opens and holds Numira's tables; the connection is removed again.
StoreError check(const QString& address);
// What opening says when the server wants a password and none was given: the caller asks for
// one, remembers it and opens again.
StoreError needsPassword(const QString& address);

void rememberPassword(const QString& address, const SecretBytes& password);
void forgetPassword(const QString& address);
bool hasPassword(const QString& address);
void forgetAllPasswords();

} // namespace ServerConnection
