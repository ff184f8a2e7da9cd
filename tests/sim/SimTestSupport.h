#pragma once
// Helpers for the simulator's tests: the built simulator as a child process,
// a plain UDP client, and loopback addresses nobody else is using. Every
// wait is bounded, so a broken simulator fails a test instead of hanging it.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

using namespace std::chrono_literals;
constexpr std::chrono::milliseconds WAIT = 5s;

// Reads from fd until the text read ends with stop or the time is up.
std::string ReadUntil(int fd, const std::string& stop, std::chrono::milliseconds limit = WAIT);

// One request on a freshly opened serial device, as the tool does after
// connecting; the reply up to and including stop.
std::string AskSerial(const std::string& strDevice, const std::string& request, const std::string& stop = "#");

// The simulator as a child process with its stdout on a pipe. The
// constructor waits for the announcement lines: "serial: PATH" unless
// --no-pty is given, then "udp: ADDRESS:PORT" when --udp is.
class CSimProcess {
public:
    explicit CSimProcess(std::vector<std::string> args);
    ~CSimProcess();
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    const std::string& Serial() const { return m_strSerial; }
    const std::string& Udp() const { return m_strUdp; }
    const std::string& FirstLine() const { return m_strFirstLine; }

    // Sends sig and returns the exit status, or nothing if it did not exit in time.
    std::optional<int> Stop(int sig);
    // The exit status once the process has ended, or nothing if it did not end in time.
    std::optional<int> Wait();

private:
    pid_t m_pid = -1;
    int m_fdOut = -1;
    std::string m_strFirstLine;
    std::string m_strSerial;
    std::string m_strUdp;
};

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

// A loopback address (127.x.y.z) whose port 5000 nobody has bound, derived
// from the process id so that tests running at the same time on one
// machine do not meet; nIndex picks further addresses for the same test.
std::string FreeLoopbackAddress(int nIndex = 0);

}  // namespace simtest
