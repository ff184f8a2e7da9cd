#include "SimTestSupport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

extern char** environ;

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

bool HasArg(const std::vector<std::string>& args, const char* pszArg) {
    return std::find(args.begin(), args.end(), pszArg) != args.end();
}

// The rest of a line that starts with prefix, without the line end.
std::string After(const std::string& line, const std::string& prefix) {
    if (line.rfind(prefix, 0) != 0 || line.empty() || line.back() != '\n') return {};
    return line.substr(prefix.size(), line.size() - prefix.size() - 1);
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

CSimProcess::CSimProcess(std::vector<std::string> args) {
    const bool bPty = !HasArg(args, "--no-pty");
    const bool bUdp = HasArg(args, "--udp");
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, fds[1], STDOUT_FILENO);
    args.insert(args.begin(), CORVANE_SIM_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, CORVANE_SIM_PATH, &fa, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    m_fdOut = fds[0];
    m_strFirstLine = ReadUntil(m_fdOut, "\n");
    std::string line = m_strFirstLine;
    if (bPty) {
        m_strSerial = After(line, "serial: ");
        if (m_strSerial.empty()) return;
        if (bUdp) line = ReadUntil(m_fdOut, "\n");
    }
    if (bUdp) m_strUdp = After(line, "udp: ");
}

CSimProcess::~CSimProcess() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_fdOut >= 0) close(m_fdOut);
}

std::optional<int> CSimProcess::Stop(int sig) {
    if (m_pid > 0) kill(m_pid, sig);
    return Wait();
}

std::optional<int> CSimProcess::Wait() {
    const auto end = std::chrono::steady_clock::now() + WAIT;
    while (m_pid > 0 && std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            return 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(10ms);
    }
    return std::nullopt;
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

std::string FreeLoopbackAddress(int nIndex) {
    // 127.A.B.C: A.B from the process id, C from the index; an address that
    // is taken moves on by 16.
    const unsigned pid = static_cast<unsigned>(getpid());
    const std::string strPrefix =
        "127." + std::to_string(1 + (pid >> 8) % 254) + "." + std::to_string(pid & 0xFF) + ".";
    for (int nTry = 0; nTry < 15; ++nTry) {
        const std::string ip = strPrefix + std::to_string(2 + (nIndex + 16 * nTry) % 252);
        const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const sockaddr_in sa = SockAddr(ip, SWITCHER_PORT);
        const bool bFree = fd >= 0 && bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0;
        if (fd >= 0) close(fd);
        if (bFree) return ip;
    }
    return strPrefix + "1";
}

}  // namespace simtest
