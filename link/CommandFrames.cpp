#include "link/CommandFrames.h"

#include <cstdio>

namespace Frames {
namespace {

// Formats into a zeroed buffer large enough for the longest output of any
// template here (the 62-character network-parameter write).
template <class... Args> std::string Format(const char* pszFormat, Args... args) {
    char buf[100] = {};
    std::snprintf(buf, sizeof buf, pszFormat, args...);
    return buf;
}

char IndexDigit(int nIndex) { return static_cast<char>('0' + nIndex); }

}  // namespace

std::string Status() { return "@R 04 #"; }

// Nine characters, built byte by byte: '@' 'W' ' ' '0' o ' ' '0' i '#'.
std::string Route(int nOutput, int nInput) {
    return {'@', 'W', ' ', '0', IndexDigit(nOutput), ' ', '0', IndexDigit(nInput), '#'};
}

std::string AllOutputs(int nInput) {
    return Format("%c W %02x  %02x %02x %02x %02x%c", '@', REG_ALL_OUTPUTS, nInput & 0xFF, nInput & 0xFF,
                  nInput & 0xFF, nInput & 0xFF, '#');
}

std::string Read(int nRegister) { return Format("%c R %02x %c", '@', nRegister & 0xFF, '#'); }

std::string EdidApply(int nRegister, int nMode, UINT nFlags) {
    return Format("%c W %02x %02x %02x %c", '@', nRegister & 0xFF, nMode & 0xFF, nFlags & 0xFF, '#');
}

// The name write groups the bytes as the switcher expects them: five, five,
// three, then one byte each, and a single space (not a conversion) before
// byte 13. Always 45 characters.
std::string DeviceNameWrite(const BYTE abName[DEVICE_NAME_LEN]) {
    static const int kGroupEnd[] = {5, 10, 13, 14, 15, 16};
    std::string strFrame = "@W 20 ";
    int nByte = 0;
    for (int nEnd : kGroupEnd) {
        for (; nByte < nEnd; ++nByte) strFrame += Format("%02x", abName[nByte]);
        strFrame += ' ';
    }
    strFrame += '#';
    return strFrame;
}

std::string NetParamsWrite(const NetParams& params) {
    const BYTE* p = reinterpret_cast<const BYTE*>(&params);
    std::string strFrame = "@W40";
    for (size_t i = 0; i < sizeof(NetParams); ++i) strFrame += Format(" %02x", p[i]);
    strFrame += '#';
    return strFrame;
}

std::string DebugApply(bool bDebugOn) { return {'@', 'W', '1', '0', '0', bDebugOn ? '0' : '1', '#'}; }

}  // namespace Frames
