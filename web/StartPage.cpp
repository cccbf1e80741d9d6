#include "web/StartPage.h"

namespace StartPage {

quint32 probeStatus(const QString& dottedAddress)
{
    Q_UNUSED(dottedAddress)
    return 11010;
}

} // namespace StartPage
