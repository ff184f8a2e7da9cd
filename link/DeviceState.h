#pragma once
// The in-memory picture of the switcher and the two link flags. Process-wide
// globals, zero at start, used on the GUI thread only.
#include "base/WinTypes.h"

struct EdidSetting {
    int nMode;      // index of the EDID mode item, sent as one byte
    UINT nFlags;    // EDID_FLAG_* bits, low 8 bits used
};

// Whether two settings are the same: the mode, and the flag bits that are used.
inline bool SameEdid(const EdidSetting& a, const EdidSetting& b) {
    return a.nMode == b.nMode && (a.nFlags & 0xFF) == (b.nFlags & 0xFF);
}

// EDID option bits of EdidSetting::nFlags.
constexpr UINT EDID_FLAG_3D = 0x01;
constexpr UINT EDID_FLAG_AUDIO_2CH = 0x02;
constexpr UINT EDID_FLAG_AUDIO_51CH = 0x04;
constexpr UINT EDID_FLAG_AUDIO_71CH = 0x08;
constexpr UINT EDID_FLAG_DEEP_30BIT = 0x10;
constexpr UINT EDID_FLAG_DEEP_36BIT = 0x20;
constexpr UINT EDID_FLAG_DEEP_48BIT = 0x40;
constexpr UINT EDID_FLAG_HDR = 0x80;
constexpr UINT EDID_AUDIO_MASK = 0x0E;
constexpr int EDID_REG_BASE = 0x05;

struct NetParams {
    BYTE abMac[6];
    BYTE abIp[4];
    BYTE abMask[4];
    BYTE abGateway[4];
    BYTE bDhcp;
};
static_assert(sizeof(NetParams) == 19, "network parameters are 19 bytes on the wire");

constexpr int OUTPUT_COUNT = 4;
constexpr int INPUT_COUNT = 4;
constexpr int DEVICE_NAME_LEN = 16;

extern int g_nOutputSource[OUTPUT_COUNT];
extern EdidSetting g_EdidSetting[INPUT_COUNT];
extern BYTE g_DeviceName[DEVICE_NAME_LEN];
extern NetParams g_NetParams;
extern WORD g_wChangeCounter;

// Link flags: serial link open (0/1), network link open (0/1).
extern int g_bComConnected;
extern BYTE g_bNetConnected;

// True when either link is marked open.
bool IsLinkOpen();

// Resets the whole device state and both link flags to zero (program start).
void ResetDeviceState();
