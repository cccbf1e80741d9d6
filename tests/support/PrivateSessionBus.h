#pragma once

#include <QByteArray>

// A D-Bus session bus of the test's own: dbus-daemon started before the application object
// exists (call start() from initMain), named by DBUS_SESSION_BUS_ADDRESS for the rest of the
// process and stopped when the process ends. Signals a test sends on it reach no program of the
// user's desktop.
namespace PrivateSessionBus {

// False when dbus-daemon could not be started; the variable then names no bus at all.
bool start();
QByteArray address();

} // namespace PrivateSessionBus
