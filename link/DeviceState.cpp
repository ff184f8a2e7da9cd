#include "link/DeviceState.h"

#include <cstring>

int g_nOutputSource[OUTPUT_COUNT];
EdidSetting g_EdidSetting[INPUT_COUNT];
BYTE g_DeviceName[DEVICE_NAME_LEN];
NetParams g_NetParams;
WORD g_wChangeCounter;
int g_bComConnected;
BYTE g_bNetConnected;

bool IsLinkOpen() { return g_bComConnected == 1 || g_bNetConnected == 1; }

void ResetDeviceState() {
    std::memset(g_nOutputSource, 0, sizeof g_nOutputSource);
    std::memset(g_EdidSetting, 0, sizeof g_EdidSetting);
    std::memset(g_DeviceName, 0, sizeof g_DeviceName);
    std::memset(&g_NetParams, 0, sizeof g_NetParams);
    g_wChangeCounter = 0;
    g_bComConnected = 0;
    g_bNetConnected = 0;
}
