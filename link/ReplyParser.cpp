#include "ReplyParser.h"

#include <cstring>

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
    t.LogToPages("Load all ports success!", 0);
    t.PortSetEndWait();
}

void OnEdidSetting(int nInput, IReplyTarget& t) {
    g_EdidSetting[nInput].nMode = Data(0);
    g_EdidSetting[nInput].nFlags = Data(1);
    t.RefreshEdidInput(nInput);
    t.EdidEndWait();
    t.LogToPages("Load success!", 1);
}

// Write acknowledgement (data 01 only). Over the serial link both waits end
// at once; otherwise each page ends its own wait when its timer 2 fires.
void OnAck(IReplyTarget& t) {
    if (Data(0) != 1) return;
    if (g_bComConnected == 1) {
        t.PortSetEndWait();
        t.EdidEndWait();
    } else {
        t.StartAckTimers();
    }
    t.LogToPages("Set success!", 2);
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
    t.LogToPages("Load All config data success!", 2);
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

}  // namespace

void ParseReply(IReplyTarget& t) {
    const int r = g_RxFrame[0];
    switch (r) {
    case 0x00: case 0x01: case 0x02: case 0x03: OnOutputSource(r, t); break;
    case 0x04: OnAllOutputs(t); break;
    case 0x05: case 0x06: case 0x07: case 0x08: OnEdidSetting(r - 0x05, t); break;
    case 0x09: OnAck(t); break;
    case 0x0E: OnAllConfig(t); break;
    case 0x10: t.SetDebugMode(Data(0)); break;
    case 0x20: OnDeviceName(t); break;
    case 0x40: OnNetParams(t); break;
    case 0x52: OnChangeCounter(t); break;
    default: break;
    }
    std::memset(g_RxFrame, 0, sizeof g_RxFrame);
}
