#include "web/StartPage.h"

#include "web/modPing.h"

namespace StartPage {

quint32 probeStatus(const QString& dottedAddress)
{
    modPing::EchoReply reply{};
    modPing::EchoProbe(dottedAddress, reply);
    return reply.Status;
}

} // namespace StartPage
