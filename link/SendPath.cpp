#include "link/SendPath.h"

#include "link/SerialLink.h"
#include "link/UdpLink.h"

// The serial link carries the commands whenever it is open, even with a
// switcher chosen on the network.
bool SendCommand(const std::string& strFrame) {
    using namespace corvane::link;
    for (Link* pLink : {static_cast<Link*>(&TheSerialLink()), static_cast<Link*>(&TheUdpLink())}) {
        if (pLink->IsOpen()) return pLink->SendFrame(strFrame);
    }
    return false;
}
