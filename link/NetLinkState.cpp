#include "link/NetLinkState.h"

#include <cstring>

BYTE g_bSocketOpen;
BYTE g_bSearching;
DWORD g_dwHostIp = NO_HOST_IP;
DeviceEntry g_DeviceTable[MAX_DEVICE_NUM];
UINT g_nDeviceCount;
BYTE g_bDeviceTableFullShown;

void ResetNetLinkState() {
    g_bSocketOpen = 0;
    g_bSearching = 0;
    g_dwHostIp = NO_HOST_IP;
    std::memset(g_DeviceTable, 0, sizeof g_DeviceTable);
    g_nDeviceCount = 0;
    g_bDeviceTableFullShown = 0;
}

void BeginDeviceSearch() {
    g_bSearching = 1;
    g_nDeviceCount = 0;
    std::memset(g_DeviceTable, 0, sizeof g_DeviceTable);
    g_bDeviceTableFullShown = 0;
}

