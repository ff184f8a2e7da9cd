#pragma once
// One connection to the switcher, whatever carries it: open it, send a
// frame, hear the bytes that come back and that the link is gone. The
// serial port (SerialLink) and the UDP socket (UdpLink) are the two kinds;
// whoever reads replies feeds the received bytes to the reply assembler the
// same way from either.
#include <cstddef>
#include <functional>
#include <string>
#include <utility>

namespace corvane::link {

class Link {
public:
    using BytesHandler = std::function<void(const char* pData, std::size_t nLen)>;
    using LostHandler = std::function<void(const std::string& strReason)>;

    virtual ~Link() = default;
    // Opens the link as configured; false when it cannot be used.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    // Whether frames go out over this link now.
    virtual bool IsOpen() const = 0;
    // Hands one whole frame to the link; false when it is not open.
    virtual bool SendFrame(const std::string& strFrame) = 0;

    // Who hears received bytes and the loss of the link (one each; empty
    // handlers hear nothing). Called on the thread that runs the event loop.
    void SetBytesHandler(BytesHandler fn) { m_fnBytes = std::move(fn); }
    void SetLostHandler(LostHandler fn) { m_fnLost = std::move(fn); }

protected:
    void BytesReceived(const char* pData, std::size_t nLen) {
        if (m_fnBytes) m_fnBytes(pData, nLen);
    }
    void LinkLost(const std::string& strReason) {
        if (m_fnLost) m_fnLost(strReason);
    }

private:
    BytesHandler m_fnBytes;
    LostHandler m_fnLost;
};

}  // namespace corvane::link
