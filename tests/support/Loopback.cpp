#include "tests/support/Loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::uint16_t kSwitcherPort = 5000;

std::string Dotted(std::uint32_t dwIp) {
    return std::to_string(dwIp >> 24) + "." + std::to_string(dwIp >> 16 & 0xFF) + "." +
           std::to_string(dwIp >> 8 & 0xFF) + "." + std::to_string(dwIp & 0xFF);
}

bool PortFree(std::uint32_t dwIp) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(kSwitcherPort);
    sa.sin_addr.s_addr = htonl(dwIp);
    const bool bFree = bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
    close(fd);
    return bFree;
}

}  // namespace

std::uint32_t LoopbackIp(int nHost) {
    const unsigned nPid = static_cast<unsigned>(getpid());
    const std::uint32_t a = 20 + nPid % 200;
    const std::uint32_t b = 1 + (nPid / 200) % 250;
    return (127u << 24) | (a << 16) | (b << 8) | static_cast<std::uint32_t>(nHost & 0xFF);
}

std::string FreeLoopbackAddress(int nIndex) {
    for (int nTry = 0; nTry < 15; ++nTry) {
        const std::uint32_t dwIp = LoopbackIp(2 + (nIndex + 16 * nTry) % 252);
        if (PortFree(dwIp)) return Dotted(dwIp);
    }
    return Dotted(LoopbackIp(1));
}
