#pragma once
// Serial event-mask bits: which port events the driver watches and reports.
#include "base/WinTypes.h"

constexpr DWORD EV_RXCHAR = 0x0001;   // a byte arrived
constexpr DWORD EV_RXFLAG = 0x0002;   // the event character arrived
constexpr DWORD EV_TXEMPTY = 0x0004;  // the last byte was sent
constexpr DWORD EV_CTS = 0x0008;      // CTS changed
constexpr DWORD EV_DSR = 0x0010;      // DSR changed
constexpr DWORD EV_RLSD = 0x0020;     // carrier detect changed
constexpr DWORD EV_BREAK = 0x0040;    // a break on input
constexpr DWORD EV_ERR = 0x0080;      // a line-status error
constexpr DWORD EV_RING = 0x0100;     // a ring indicator
// Every bit above; a mask with any other bit is refused.
constexpr DWORD EV_KNOWN = EV_RXCHAR | EV_RXFLAG | EV_TXEMPTY | EV_CTS | EV_DSR | EV_RLSD | EV_BREAK | EV_ERR |
                           EV_RING;
