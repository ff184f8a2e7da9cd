#include "ReplyParser.h"

#include <cstring>

#include "CommandFrames.h"
#include "DeviceState.h"
#include "ReplyAssembler.h"

namespace {

// Data byte k of the current frame (element k + 1 of g_RxFrame).
BYTE Data(int k) { return static_cast<BYTE>(g_RxFrame[k + 1]); }

void ShowAllOutputs(IReplyTarget& t) {
    for (int n = 0; n < OUTPUT_COUNT; ++n) t.ShowOutputSource(n);
}

void OnOutputSource(int nOutput, IReplyTarget& t) {
    g_nOutputSource[nOutput] = Data(0);
    t.ShowOutputSource(nOutput);
    t.PortSetEndWait();
}

void OnAllOutputs(IReplyTarget& t) {
    for (int n = 0; n < OUTPUT_COUNT; ++n) g_nOutputSource[n] = Data(n);
    ShowAllOutputs(t);
    t.LogToPages(LOG_ALL_PORTS_LOADED, LOG_PORT_SET);
    t.PortSetEndWait();
}

void OnEdidSetting(int nInput, IReplyTarget& t) {
    g_EdidSetting[nInput].nMode = Data(0);
    g_EdidSetting[nInput].nFlags = Data(1);
    t.RefreshEdidInput(nInput);
    t.EdidEndWait();
    t.LogToPages(LOG_EDID_LOADED, LOG_EDID_CONFIG);
}

// Write acknowledgement (data 01 only). Over the serial link both waits end
// at once; otherwise each page ends its own wait when its timer 2 fires,
// and an acknowledgement that no command waits for is dropped: a stream of
// them must not hold the waits open by restarting the timers.
void OnAck(IReplyTarget& t) {
    if (Data(0) != 1) return;
    if (g_bComConnected == 1) {
        t.PortSetEndWait();
        t.EdidEndWait();
    } else {
        if (!t.AckAwaited()) return;
        t.StartAckTimers();
    }
    t.LogToPages(LOG_SET_DONE, LOG_BOTH_PAGES);
}

// Whole configuration: per output its source, then that input's EDID mode
// and flags; then the 16 name bytes.
void OnAllConfig(IReplyTarget& t) {
    for (int n = 0; n < OUTPUT_COUNT; ++n) {
        g_nOutputSource[n] = Data(3 * n);
        g_EdidSetting[n].nMode = Data(3 * n + 1);
        g_EdidSetting[n].nFlags = Data(3 * n + 2);
    }
    ShowAllOutputs(t);
    t.PortSetEndWait();
    for (int n = 0; n < INPUT_COUNT; ++n) t.RefreshEdidInput(n);
    t.EdidEndWait();
    for (int i = 0; i < DEVICE_NAME_LEN; ++i) g_DeviceName[i] = Data(12 + i);
    t.ShowDeviceName();
    t.LogToPages(LOG_ALL_CONFIG_LOADED, LOG_BOTH_PAGES);
    t.GetIpConfig();
}

void OnDeviceName(IReplyTarget& t) {
    for (int i = 0; i < DEVICE_NAME_LEN; ++i) g_DeviceName[i] = Data(i);
    t.ShowDeviceName();
}

void OnNetParams(IReplyTarget& t) {
    BYTE* p = reinterpret_cast<BYTE*>(&g_NetParams);
    for (size_t i = 0; i < sizeof(NetParams); ++i) p[i] = Data(static_cast<int>(i));
    t.ShowNetParams();
}

void OnChangeCounter(IReplyTarget& t) {
    WORD wValue = static_cast<WORD>(Data(0) * 256 + Data(1));
    if (wValue == g_wChangeCounter) return;
    t.ReadAllConfig();
    g_wChangeCounter = wValue;
}

void OnDebugMode(IReplyTarget& t) { t.SetDebugMode(Data(0)); }

// Registers with one handler each; other registers are ignored.
struct RegisterHandler {
    int nRegister;
    void (*pfnHandle)(IReplyTarget& t);
};
constexpr RegisterHandler kHandlers[] = {
    {Frames::REG_ALL_OUTPUTS, OnAllOutputs},       {Frames::REG_ACK, OnAck},
    {Frames::REG_ALL_CONFIG, OnAllConfig},         {Frames::REG_DEBUG, OnDebugMode},
    {Frames::REG_DEVICE_NAME, OnDeviceName},       {Frames::NET_PARAMS_REG, OnNetParams},
    {Frames::REG_CHANGE_COUNTER, OnChangeCounter},
};

}  // namespace

void ParseReply(IReplyTarget& t) {
    using namespace Frames;
    const int r = g_RxFrame[0];
    if (r >= REG_OUTPUT_FIRST && r <= REG_OUTPUT_LAST) {
        OnOutputSource(r - REG_OUTPUT_FIRST, t);
    } else if (r >= REG_EDID_FIRST && r <= REG_EDID_LAST) {
        OnEdidSetting(r - REG_EDID_FIRST, t);
    } else {
        for (const RegisterHandler& handler : kHandlers) {
            if (handler.nRegister == r) handler.pfnHandle(t);
        }
    }
    std::memset(g_RxFrame, 0, sizeof g_RxFrame);
}
