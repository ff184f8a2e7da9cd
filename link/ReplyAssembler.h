#pragma once
// Assembles reply frames '@' <hex pairs> '#' from the characters of either
// link and hands each completed frame to ParseReply. Constant work per
// character, no allocation; state in fixed globals shared by both links.
#include "IReplyTarget.h"
#include "NetLinkState.h"
#include "WinTypes.h"

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

// Feeds one character; dispatches a completed frame before returning.
void RxFeedChar(BYTE c, IReplyTarget& target);

// Feeds g_NetRxBuffer as one WM_NET_RXDATA does: nothing unless wParam is 0;
// stops at the first zero byte or after NET_MAX_DATAGRAM characters (a
// whole datagram); drops every character while the serial link is open.
void RxFeedNetBuffer(WPARAM wParam, IReplyTarget& target);

// Resets the assembler to its start state (all zero, RX_IDLE).
void RxReset();
