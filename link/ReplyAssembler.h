#pragma once
// Assembles reply frames '@' <hex pairs> '#' from the characters of either
// link and hands the event ParseReply makes of each completed frame to a
// sink. Constant work per character, no allocation; state in fixed globals
// shared by both links.
#include <cstddef>

#include "link/NetLinkState.h"
#include "link/ReplyEvents.h"
#include "base/WinTypes.h"

constexpr int RX_FRAME_SIZE = 500;
enum : BYTE { RX_IDLE = 0, RX_IN_FRAME = 1, RX_COMPLETE = 2 };

extern int g_RxFrame[RX_FRAME_SIZE];
extern int g_nRxCount;
extern BYTE g_bRxHalfByte;
extern BYTE g_nRxState;

// Datagram text of the chosen switcher, zero-terminated: room for the
// longest datagram the link takes and the terminator.
constexpr int NET_RX_BUFFER_SIZE = NET_MAX_DATAGRAM + 1;
extern char g_NetRxBuffer[NET_RX_BUFFER_SIZE];

// Feeds one character; a completed frame reaches the sink before this returns.
void RxFeedChar(BYTE c, corvane::link::IReplySink& sink);
// Feeds nLen characters in order, as either link receives them.
void RxFeedBytes(const char* pData, std::size_t nLen, corvane::link::IReplySink& sink);

// Resets the assembler to its start state (all zero, RX_IDLE).
void RxReset();
