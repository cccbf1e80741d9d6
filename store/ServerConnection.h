#pragma once

#include <QString>

class SecretBytes;

// Connections to a PostgreSQL server through Qt's QPSQL driver, and the passwords given for
// servers during this run. Database is the door the rest of the program uses.
namespace ServerConnection {

// Opens the server the address names under the connection name and checks its tables
// (ServerSchema), making them on an empty database. False with a plain reason otherwise; the
// connection is then removed again.
bool open(const QString& address, const QString& connectionName, QString* error);
// Whether the address opens and holds Numira's tables; the connection is removed again.
bool check(const QString& address, QString* error);

void rememberPassword(const QString& address, const SecretBytes& password);
void forgetPassword(const QString& address);
bool hasPassword(const QString& address);
void forgetAllPasswords();

} // namespace ServerConnection
