#include "link/ReplyParser.h"

#include <algorithm>
#include <cstring>

#include "link/CommandFrames.h"
#include "link/DeviceState.h"
#include "link/ReplyAssembler.h"

namespace {

using namespace corvane::link;

// Data byte k of the current frame (element k + 1 of g_RxFrame).
BYTE Data(int k) { return static_cast<BYTE>(g_RxFrame[k + 1]); }

DeviceName NameAt(int nFirst) {
    DeviceName name{};
    for (int i = 0; i < DEVICE_NAME_LEN; ++i) name[i] = Data(nFirst + i);
    return name;
}

ReplyBody OnOutputSource(int nOutput) {
    g_nOutputSource[nOutput] = Data(0);
    return OutputSourceReply{nOutput, g_nOutputSource[nOutput]};
}

ReplyBody OnAllOutputs() {
    AllOutputsReply reply;
    for (int n = 0; n < OUTPUT_COUNT; ++n) reply.sources[n] = g_nOutputSource[n] = Data(n);
    return reply;
}

ReplyBody OnEdidSetting(int nInput) {
    g_EdidSetting[nInput].nMode = Data(0);
    g_EdidSetting[nInput].nFlags = Data(1);
    return EdidReply{nInput, g_EdidSetting[nInput]};
}

ReplyBody OnAck() { return AckReply{Data(0)}; }

// Whole configuration: per output its source, then that input's EDID mode
// and flags; then the 16 name bytes.
ReplyBody OnAllConfig() {
    AllConfigReply reply;
    for (int n = 0; n < OUTPUT_COUNT; ++n) {
        reply.sources[n] = g_nOutputSource[n] = Data(3 * n);
        g_EdidSetting[n].nMode = Data(3 * n + 1);
        g_EdidSetting[n].nFlags = Data(3 * n + 2);
        reply.edid[n] = g_EdidSetting[n];
    }
    reply.name = NameAt(12);
    std::memcpy(g_DeviceName, reply.name.data(), DEVICE_NAME_LEN);
    return reply;
}

ReplyBody OnDeviceName() {
    DeviceNameReply reply{NameAt(0)};
    std::memcpy(g_DeviceName, reply.name.data(), DEVICE_NAME_LEN);
    return reply;
}

ReplyBody OnNetParams() {
    BYTE* p = reinterpret_cast<BYTE*>(&g_NetParams);
    for (size_t i = 0; i < sizeof(NetParams); ++i) p[i] = Data(static_cast<int>(i));
    return NetParamsReply{g_NetParams};
}

ReplyBody OnChangeCounter() {
    const ChangeCounterReply reply{g_wChangeCounter, static_cast<WORD>(Data(0) * 256 + Data(1))};
    g_wChangeCounter = reply.newValue;
    return reply;
}

ReplyBody OnDebugMode() { return DebugModeReply{Data(0)}; }

// Registers with one decoder each; other registers decode to OtherReply.
struct RegisterDecoder {
    int nRegister;
    ReplyBody (*pfnDecode)();
};
constexpr RegisterDecoder kDecoders[] = {
    {Frames::REG_ALL_OUTPUTS, OnAllOutputs},       {Frames::REG_ACK, OnAck},
    {Frames::REG_ALL_CONFIG, OnAllConfig},         {Frames::REG_DEBUG, OnDebugMode},
    {Frames::REG_DEVICE_NAME, OnDeviceName},       {Frames::NET_PARAMS_REG, OnNetParams},
    {Frames::REG_CHANGE_COUNTER, OnChangeCounter},
};

ReplyBody Decode(int r) {
    using namespace Frames;
    if (r >= REG_OUTPUT_FIRST && r <= REG_OUTPUT_LAST) return OnOutputSource(r - REG_OUTPUT_FIRST);
    if (r >= REG_EDID_FIRST && r <= REG_EDID_LAST) return OnEdidSetting(r - REG_EDID_FIRST);
    for (const RegisterDecoder& decoder : kDecoders) {
        if (decoder.nRegister == r) return decoder.pfnDecode();
    }
    return OtherReply{};
}

}  // namespace

// The frame is cleared before the event goes anywhere: whatever its hearer
// does (a modal box letting more bytes in) starts from an empty frame.
ReplyEvent ParseReply() {
    const int r = g_RxFrame[0];
    ReplyEvent event{r, Decode(r)};
    event.nBytes = std::min(g_nRxCount, REPLY_BYTES_KEPT);
    for (int i = 0; i < event.nBytes; ++i) event.abBytes[i] = static_cast<BYTE>(g_RxFrame[i]);
    std::memset(g_RxFrame, 0, sizeof g_RxFrame);
    return event;
}
