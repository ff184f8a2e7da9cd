#pragma once
// Plain clients of a simulator, without Qt: a request on its serial device
// and a UDP socket. Every wait is bounded, so a broken simulator fails a
// test instead of hanging it. (The simulator itself is started by
// CSimProcess, SimProcess.h; addresses come from Loopback.h.)
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace simtest {

using namespace std::chrono_literals;
constexpr std::chrono::milliseconds WAIT = 5s;

// Reads from fd until the text read ends with stop or the time is up.
std::string ReadUntil(int fd, const std::string& stop, std::chrono::milliseconds limit = WAIT);

// One request on a freshly opened serial device, as the tool does after
// connecting; the reply up to and including stop.
std::string AskSerial(const std::string& strDevice, const std::string& request, const std::string& stop = "#");

// A UDP socket bound to an ephemeral port of a loopback address.
class CUdpClient {
public:
    explicit CUdpClient(const std::string& strLocalIp = "127.0.0.1");
    ~CUdpClient();
    CUdpClient(const CUdpClient&) = delete;
    CUdpClient& operator=(const CUdpClient&) = delete;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    bool SendTo(const std::string& strIp, std::uint16_t wPort, const std::string& data);
    // The next datagram and its sender ("a.b.c.d:port"), or nothing within limit.
    std::optional<std::string> Receive(std::chrono::milliseconds limit = WAIT, std::string* pFrom = nullptr);
    // Sends a request to strIp port 5000 and returns the reply.
    std::optional<std::string> Ask(const std::string& strIp, const std::string& request);

private:
    int m_fd = -1;
};

}  // namespace simtest
