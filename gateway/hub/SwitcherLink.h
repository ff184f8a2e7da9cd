#pragma once
// The hub's view of the one link to the switcher: open it (the device is
// looked up again by name on every open), send a frame, and hear decoded
// replies and the loss of the link. The hub knows no driver; the one
// implementation, over the link core's connection, is in CoreLink.cpp.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/DeviceState.h"

namespace corvane::gateway {

struct EdidValue {
    int mode = 0;
    int flags = 0;
    bool operator==(const EdidValue&) const = default;
};

struct NetValue {
    std::array<uint8_t, 6> mac{};
    std::array<uint8_t, 4> ip{}, mask{}, gateway{};
    bool dhcp = false;
    bool operator==(const NetValue&) const = default;
};

using Routing = std::array<int, OUTPUT_COUNT>;  // entry n: input index (0..3) on output n

// One decoded reply. Every event carries the switcher's picture as the
// decoder holds it after this reply; kind and n say what the reply was.
// Frame comes last for every reply frame, decoded or not, with its text
// (what the relay hands back to its client).
struct LinkEvent {
    enum class Kind { OutputSource, AllOutputs, Edid, Ack, AllConfig, Name, NetParams, Counter, Debug, Frame };
    Kind kind = Kind::Ack;
    int n = 0;  // the output (OutputSource) or input (Edid)
    Routing routing{};
    std::array<EdidValue, INPUT_COUNT> edid{};
    QString name;  // trailing spaces removed
    NetValue net;
    uint16_t counter = 0;
    std::string frame;      // Frame: the reply as received, '@' to '#'
    uint32_t frameSeq = 0;  // which reply frame this event came from; 0: not known
};

class SwitcherLink {
public:
    virtual ~SwitcherLink() = default;
    // Opens the link afresh; false with a one-line reason.
    virtual bool Open(QString& error) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual void Send(const std::string& frame) = 0;
    // Over UDP changes are seen through the change counter, over serial by
    // reading the routing.
    virtual bool IsNetwork() const = 0;
    // "/dev/ttyUSB0", "COM3 (/dev/ttyUSB2)", "192.168.1.50:5000".
    virtual QString Name() const = 0;

    // Set by the owner before Open. Called on the event-loop thread; onLost
    // comes after the call that noticed the loss has returned.
    std::function<void(const LinkEvent&)> onEvent;
    std::function<void(const QString& reason)> onLost;
};

// How the link is chosen, as corvane-cli chooses it.
struct LinkChoice {
    QString port;  // "COM3" or a device path; or
    QString host;  // a dotted IPv4 address
    int localPort = 5001;
    QString localPortAdvice;  // how the operator chooses another local port when that one is taken
};

// The link over the link core's connection (the serial driver and the UDP socket).
std::unique_ptr<SwitcherLink> MakeCoreLink(const LinkChoice& choice);

}  // namespace corvane::gateway
