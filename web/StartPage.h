#pragma once

#include <QString>

namespace StartPage {

// The status of one echo request to the address: 0 when it answered.
quint32 probeStatus(const QString& dottedAddress);

} // namespace StartPage
