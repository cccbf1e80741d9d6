#pragma once

#include <QString>
#include <QtGlobal>

// The community server: its start page and the address the start-up probes.
namespace Community {

inline const QString HomePage = QStringLiteral("http://community.numira.example/inprogram/");
// A documentation address that never answers.
inline const QString ProbeAddress = QStringLiteral("192.0.2.1");

// Tests that start the real program name a loopback address in this variable: the echo goes
// there and the start page is looked for there, so nothing leaves the machine. The variable
// is read only when it is set; users never need it.
inline const char ServerVariable[] = "NUMIRA_COMMUNITY_SERVER";

// The address the start-up probes and the page it opens when the probe is answered.
inline QString probeAddress()
{
    const QString server = qEnvironmentVariable(ServerVariable);
    return server.isEmpty() ? ProbeAddress : server;
}

inline QString homePage()
{
    const QString server = qEnvironmentVariable(ServerVariable);
    return server.isEmpty() ? HomePage : QStringLiteral("http://%1/inprogram/").arg(server);
}

} // namespace Community
