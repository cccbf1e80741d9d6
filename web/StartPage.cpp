#include "web/StartPage.h"

#include "web/EchoProbe.h"

namespace StartPage {

quint32 probeStatus(const QString& dottedAddress)
{
    EchoProbe::EchoReply reply{};
    EchoProbe::sendEcho(dottedAddress, reply);
    return reply.Status;
}

} // namespace StartPage
