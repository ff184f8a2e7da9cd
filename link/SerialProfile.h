#pragma once
// How the switcher's serial port is set up, by the window and by corvane-cli
// alike: 115200 baud, 8 data bits, no parity, 1 stop bit; the driver reports
// received characters and CTS changes; frames up to 511 characters; each
// write may take 1000 ms per character plus 1000 ms.
#include "link/CommEvents.h"
#include "base/WinTypes.h"

namespace corvane::link {

struct SerialProfile {
    UINT nBaud = 115200;
    char cParity = 'N';
    UINT nDataBits = 8;
    UINT nStopBits = 1;
    DWORD dwEventMask = EV_RXCHAR | EV_CTS;
    UINT nSendBufferSize = 512;
};

inline constexpr SerialProfile SWITCHER_SERIAL{};

// Write time-outs of the driver.
inline constexpr int WRITE_TIMEOUT_PER_CHAR_MS = 1000;
inline constexpr int WRITE_TIMEOUT_CONSTANT_MS = 1000;

}  // namespace corvane::link
