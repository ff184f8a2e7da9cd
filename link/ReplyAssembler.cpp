#include "link/ReplyAssembler.h"

#include <cstring>

#include "link/HexDigit.h"
#include "link/ReplyParser.h"

int g_RxFrame[RX_FRAME_SIZE];
int g_nRxCount;
BYTE g_bRxHalfByte;
BYTE g_nRxState;
char g_NetRxBuffer[NET_RX_BUFFER_SIZE];

namespace {

// Stores one digit. Digits past the last element of g_RxFrame are dropped:
// no reply the tool reads is longer than 29 bytes, and a runaway frame from a
// noisy line must not write outside the buffer.
void StoreDigit(int nValue) {
    if (g_nRxCount >= RX_FRAME_SIZE) return;
    if (!g_bRxHalfByte) {
        g_RxFrame[g_nRxCount] = nValue * 16;
        g_bRxHalfByte = 1;
    } else {
        g_RxFrame[g_nRxCount] |= nValue;
        g_bRxHalfByte = 0;
        ++g_nRxCount;
    }
}

}  // namespace

void RxFeedChar(BYTE c, corvane::link::IReplySink& sink) {
    if (c == '@') {
        g_nRxCount = 0;
        g_nRxState = RX_IN_FRAME;
        g_bRxHalfByte = 0;
    } else if (c == '#') {
        if (g_nRxState == RX_IN_FRAME) g_nRxState = RX_COMPLETE;
    } else if (g_nRxState == RX_IN_FRAME) {
        int nValue = HexDigitValue(c);
        if (nValue >= 0) StoreDigit(nValue);
    }
    if (g_nRxState == RX_COMPLETE) {
        g_nRxState = RX_IDLE;
        sink.OnReply(ParseReply());
    }
}

void RxFeedBytes(const char* pData, std::size_t nLen, corvane::link::IReplySink& sink) {
    for (std::size_t i = 0; i < nLen; ++i) RxFeedChar(static_cast<BYTE>(pData[i]), sink);
}

void RxReset() {
    std::memset(g_RxFrame, 0, sizeof g_RxFrame);
    g_nRxCount = 0;
    g_bRxHalfByte = 0;
    g_nRxState = RX_IDLE;
}
