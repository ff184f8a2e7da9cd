#pragma once
// State of the network link: socket and search flags, the chosen switcher's
// address and the table of switchers found by the last search. Process-wide
// globals, used on the GUI thread only. g_bNetConnected lives with the other
// link flag in DeviceState.h.
#include "base/WinTypes.h"

constexpr int MAX_DEVICE_NUM = 300;         // switchers one search can list
constexpr WORD DEVICE_UDP_PORT = 5000;      // every switcher listens here
constexpr int NET_MAX_DATAGRAM = 2048;      // longer datagrams are dropped whole, shorter ones read whole
constexpr DWORD NO_HOST_IP = 0xFFFFFFFF;    // g_dwHostIp before a switcher is chosen
constexpr DWORD BROADCAST_IP = 0xFFFFFFFF;  // where searches go
constexpr int DEVICE_ENTRY_NAME_SIZE = 16;

// One switcher that answered a search.
struct DeviceEntry {
    DWORD dwIp;                           // sender of the reply, first octet in the top byte
    char szName[DEVICE_ENTRY_NAME_SIZE];  // its name, at most 15 bytes and a NUL
};
static_assert(sizeof(DeviceEntry) == 20, "a table entry is 20 bytes");

extern BYTE g_bSocketOpen;  // 1 while the socket is created and bound
extern BYTE g_bSearching;   // 1 from a search until the socket opens or closes or a switcher is chosen
extern DWORD g_dwHostIp;    // the chosen switcher, first octet in the top byte
extern DeviceEntry g_DeviceTable[MAX_DEVICE_NUM];
extern UINT g_nDeviceCount;  // used entries, 0..MAX_DEVICE_NUM
// 1 once this search has said that the table is full; further replies of the
// same search are dropped without another notice.
extern BYTE g_bDeviceTableFullShown;

// Start values: nothing open, no search, no switcher chosen, empty table.
void ResetNetLinkState();
// A search starts: g_bSearching = 1, the table emptied, the full-table
// notice armed again.
void BeginDeviceSearch();
