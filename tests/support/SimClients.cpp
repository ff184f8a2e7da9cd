#include "tests/support/SimClients.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace simtest {

namespace {

constexpr std::uint16_t SWITCHER_PORT = 5000;

sockaddr_in SockAddr(const std::string& strIp, std::uint16_t wPort) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(wPort);
    inet_pton(AF_INET, strIp.c_str(), &sa.sin_addr);
    return sa;
}

}  // namespace

std::string ReadUntil(int fd, const std::string& stop, std::chrono::milliseconds limit) {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + limit;
    while (got.size() < stop.size() || got.compare(got.size() - stop.size(), stop.size(), stop) != 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char c;
        if (read(fd, &c, 1) != 1) break;
        got += c;
    }
    return got;
}

namespace {

// Writes all of text to a non-blocking fd, waiting (bounded) while it is full.
bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        pollfd p{fd, POLLOUT, 0};
        if (poll(&p, 1, static_cast<int>(WAIT.count())) <= 0) return false;
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EAGAIN) return false;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string AskSerial(const std::string& strDevice, const std::string& request, const std::string& stop) {
    const int fd = open(strDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return "open failed";
    std::string reply;
    if (WriteAll(fd, request)) reply = ReadUntil(fd, stop);
    close(fd);
    return reply;
}

CUdpClient::CUdpClient(const std::string& strLocalIp) {
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const sockaddr_in sa = SockAddr(strLocalIp, 0);
    if (m_fd >= 0 && bind(m_fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0) {
        close(m_fd);
        m_fd = -1;
    }
}

CUdpClient::~CUdpClient() {
    if (m_fd >= 0) close(m_fd);
}

bool CUdpClient::SendTo(const std::string& strIp, std::uint16_t wPort, const std::string& data) {
    const sockaddr_in to = SockAddr(strIp, wPort);
    return sendto(m_fd, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) ==
           static_cast<ssize_t>(data.size());
}

std::optional<std::string> CUdpClient::Receive(std::chrono::milliseconds limit, std::string* pFrom) {
    pollfd p{m_fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(limit.count())) != 1) return std::nullopt;
    char buf[4096];
    sockaddr_in from{};
    socklen_t len = sizeof from;
    const ssize_t n = recvfrom(m_fd, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0) return std::nullopt;
    if (pFrom) {
        char ip[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, ip, sizeof ip);
        *pFrom = std::string(ip) + ":" + std::to_string(ntohs(from.sin_port));
    }
    return std::string(buf, static_cast<std::size_t>(n));
}

std::optional<std::string> CUdpClient::Ask(const std::string& strIp, const std::string& request) {
    if (!SendTo(strIp, SWITCHER_PORT, request)) return std::nullopt;
    return Receive();
}

}  // namespace simtest
