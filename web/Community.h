#pragma once

#include <QString>

// The community server: its start page and the address the start-up probes.
namespace Community {

inline const QString HomePage = QStringLiteral("http://community.numira.example/inprogram/");
// A documentation address that never answers.
inline const QString ProbeAddress = QStringLiteral("192.0.2.1");

} // namespace Community
