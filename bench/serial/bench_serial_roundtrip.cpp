// Round trip on a pty: WriteText("@R 04 #") on the GUI thread to the decoded
// Status reply (the Port Set wait ended). The switcher is corvane-sim
// ($CORVANE_SIM, else tools/corvane-sim next to this build's bench folder).
#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "BenchSupport.h"
#include "ReplyAssembler.h"

namespace {

std::string SimPath(const char* pszArgv0) {
    if (const char* p = getenv("CORVANE_SIM"); p && *p) return p;
    std::string s = pszArgv0;
    s = s.substr(0, s.find_last_of('/') + 1);
    return s + "../tools/corvane-sim";
}

// Starts the simulator and returns the slave path from its first line.
std::string StartSim(const std::string& strSim, pid_t& pid) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execl(strSim.c_str(), strSim.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string strLine;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') strLine.push_back(c);
    close(fds[0]);
    const std::string strPrefix = "serial: ";
    return strLine.rfind(strPrefix, 0) == 0 ? strLine.substr(strPrefix.size()) : std::string();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const std::string strSim = SimPath(argv[0]);
    if (access(strSim.c_str(), X_OK) != 0) {
        std::fprintf(stderr, "bench_serial_roundtrip: no simulator at %s\n", strSim.c_str());
        return 1;
    }
    pid_t pid = -1;
    const std::string strSlave = StartSim(strSim, pid);
    if (strSlave.empty()) {
        std::fprintf(stderr, "bench_serial_roundtrip: simulator gave no serial path\n");
        return 1;
    }
    setenv("CORVANE_COM1", strSlave.c_str(), 1);

    CNoopTarget target;
    CAssemblingOwner owner(target);
    int nResult = 0;
    {
        CSerialPort port;
        if (!port.Setup(&owner, 1) || !port.StartMonitor()) {
            nResult = 1;
        } else {
            constexpr int ROUNDS = 2000;
            std::vector<double> us;
            for (int i = 0; i < ROUNDS + 50 && nResult == 0; ++i) {
                const long nBefore = target.nPortSetEndWaits;
                const auto t0 = std::chrono::steady_clock::now();
                port.WriteText("@R 04 #");
                if (!RunUntil(owner, [&] { return target.nPortSetEndWaits > nBefore; }, 5000)) {
                    std::fprintf(stderr, "bench_serial_roundtrip: no reply to request %d\n", i);
                    nResult = 1;
                }
                const auto t1 = std::chrono::steady_clock::now();
                if (i >= 50) us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
            }
            if (nResult == 0) {
                std::sort(us.begin(), us.end());
                PrintFigure("serial round trip median", us[us.size() / 2], "us");
                PrintFigure("serial round trip p99", us[us.size() * 99 / 100], "us");
            }
            port.SignalShutdown();
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return nResult;
}
