#pragma once
// What the switcher said, one event per decoded reply frame: the register it
// came from and the values decoded from it. Plain data, no I/O: the window
// maps events to its pages, corvane-cli and the gateway read them directly.
#include <array>
#include <variant>

#include "link/DeviceState.h"

namespace corvane::link {

using Routing = std::array<int, OUTPUT_COUNT>;  // entry n: input index on output n
using DeviceName = std::array<BYTE, DEVICE_NAME_LEN>;

// Registers 0x00..0x03: the source of one output.
struct OutputSourceReply {
    int output = 0;
    int source = 0;
};
// Register 0x04: the sources of all four outputs.
struct AllOutputsReply {
    Routing sources{};
};
// Registers 0x05..0x08: the EDID setting of one input.
struct EdidReply {
    int input = 0;
    EdidSetting setting{};
};
// Register 0x09: a write acknowledged when data is 1; other data is no
// acknowledgement and is reported so that watchers see the answer.
struct AckReply {
    int data = 0;
    bool Acknowledged() const { return data == 1; }
};
// Register 0x0E: per output its source and that input's EDID, then the name.
struct AllConfigReply {
    Routing sources{};
    std::array<EdidSetting, INPUT_COUNT> edid{};
    DeviceName name{};
};
// Register 0x10.
struct DebugModeReply {
    int mode = 0;
};
// Register 0x20.
struct DeviceNameReply {
    DeviceName name{};
};
// Register 0x40.
struct NetParamsReply {
    NetParams params{};
};
// Register 0x52: reported whether it moved or not, as an answered poll
// tells that the switcher is there.
struct ChangeCounterReply {
    WORD oldValue = 0;
    WORD newValue = 0;
    bool Changed() const { return oldValue != newValue; }
};
// A complete frame of a register nothing is decoded from.
struct OtherReply {};

using ReplyBody = std::variant<OutputSourceReply, AllOutputsReply, EdidReply, AckReply, AllConfigReply, DebugModeReply,
                               DeviceNameReply, NetParamsReply, ChangeCounterReply, OtherReply>;

// Bytes of a reply kept as received (register first), for whoever passes a
// reply on unchanged; no reply the switcher sends is longer.
inline constexpr int REPLY_BYTES_KEPT = 64;

struct ReplyEvent {
    int reg = 0;  // the register byte of the frame
    ReplyBody body;
    int nBytes = 0;  // bytes of the frame, at most REPLY_BYTES_KEPT
    std::array<BYTE, REPLY_BYTES_KEPT> abBytes{};
};

// Hears each decoded reply.
class IReplySink {
public:
    virtual ~IReplySink() = default;
    virtual void OnReply(const ReplyEvent& event) = 0;
};

}  // namespace corvane::link
