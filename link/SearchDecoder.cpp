#include "link/SearchDecoder.h"

#include <algorithm>
#include <cstring>

#include "link/HexDigit.h"

SearchDecoder g_SearchDecoder = {{}, SEARCH_IDLE, ACCESS_NONE};

void DecodeSearchReply(const char* pText, int nLen) {
    ResetSearchDecoder();
    SearchDecoder& d = g_SearchDecoder;
    int nPos = 0;
    bool bHighNibble = true;
    const int nScan = std::clamp(nLen, 0, SEARCH_SCAN_CHARS);
    for (int i = 0; i < nScan; ++i) {
        const char c = pText[i];
        if (c == ' ') continue;
        if (c == '@') {
            nPos = 0;
            d.nState = SEARCH_IN_FRAME;
            bHighNibble = true;
            d.nAccess = ACCESS_NONE;
            continue;
        }
        if (c == '#') {
            if (d.nState == SEARCH_IN_FRAME) {
                d.nState = SEARCH_COMPLETE;
                return;
            }
            continue;
        }
        if (d.nState != SEARCH_IN_FRAME) continue;
        if (c == 'W' || c == 'w') {
            d.nAccess = ACCESS_WRITE;
            continue;
        }
        if (c == 'R' || c == 'r') {
            d.nAccess = ACCESS_READ;
            continue;
        }
        const int v = HexDigitValue(static_cast<unsigned char>(c));
        if (v < 0 || nPos >= SEARCH_DATA_SIZE) continue;
        if (bHighNibble) {
            d.abData[nPos] = static_cast<BYTE>(v << 4);
        } else {
            d.abData[nPos] = static_cast<BYTE>(d.abData[nPos] | v);
            ++nPos;
        }
        bHighNibble = !bHighNibble;
    }
}

void ResetSearchDecoder() {
    std::memset(g_SearchDecoder.abData, 0, sizeof g_SearchDecoder.abData);
    g_SearchDecoder.nState = SEARCH_IDLE;
    g_SearchDecoder.nAccess = ACCESS_NONE;
}
