#pragma once
// Shared pieces of the application benchmarks: sample statistics printed as
// `figure: value unit` lines, the COM port mapping, and a pseudo-terminal
// whose master side the benchmark owns (it plays the switcher).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>
#include <vector>

// Prints median and p95 of samples given in nanoseconds, in the given unit.
inline void PrintFigures(const char* pszName, std::vector<double> aNs, const char* pszUnit, double dDivisor) {
    if (aNs.empty()) {
        std::printf("%s: no samples\n", pszName);
        return;
    }
    std::sort(aNs.begin(), aNs.end());
    const size_t n = aNs.size();
    const double dMedian = n % 2 ? aNs[n / 2] : (aNs[n / 2 - 1] + aNs[n / 2]) / 2;
    const double dP95 = aNs[static_cast<size_t>(std::ceil(0.95 * static_cast<double>(n))) - 1];
    std::printf("%s median: %.1f %s\n", pszName, dMedian / dDivisor, pszUnit);
    std::printf("%s p95: %.1f %s\n", pszName, dP95 / dDivisor, pszUnit);
    std::printf("%s max: %.1f %s\n", pszName, aNs.back() / dDivisor, pszUnit);
    std::printf("%s samples: %zu count\n", pszName, n);
    std::fflush(stdout);
}

// COM1 -> strCom1, COM2..COM30 -> paths that do not exist.
inline void PointComPorts(const std::string& strCom1) {
    for (int n = 1; n <= 30; ++n) {
        const std::string strVar = "CORVANE_COM" + std::to_string(n);
        const std::string strPath = n == 1 && !strCom1.empty() ? strCom1 : "/nonexistent/corvane-bench/com" + std::to_string(n);
        setenv(strVar.c_str(), strPath.c_str(), 1);
    }
}

class CBenchPty {
public:
    CBenchPty() {
        int nSlave = -1;
        char szName[256] = {};
        if (::openpty(&m_nMaster, &nSlave, szName, nullptr, nullptr) != 0) return;
        m_strSlave = szName;
        ::close(nSlave);   // the application opens the slave itself
        termios tio{};
        ::tcgetattr(m_nMaster, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(m_nMaster, TCSANOW, &tio);
        ::fcntl(m_nMaster, F_SETFL, ::fcntl(m_nMaster, F_GETFL) | O_NONBLOCK);
    }
    ~CBenchPty() {
        if (m_nMaster >= 0) ::close(m_nMaster);
    }
    CBenchPty(const CBenchPty&) = delete;
    CBenchPty& operator=(const CBenchPty&) = delete;

    bool IsOpen() const { return m_nMaster >= 0; }
    int Master() const { return m_nMaster; }
    const std::string& SlavePath() const { return m_strSlave; }

    bool Write(const std::string& s) {
        return ::write(m_nMaster, s.data(), s.size()) == static_cast<ssize_t>(s.size());
    }
    // Reads what arrives within nMaxMs, until nBytes are there, keeping the
    // GUI thread's events flowing.
    std::string Read(size_t nBytes, int nMaxMs = 2000) {
        std::string s;
        QElapsedTimer timer;
        timer.start();
        while (s.size() < nBytes && timer.elapsed() < nMaxMs) {
            QCoreApplication::processEvents();
            pollfd pfd{m_nMaster, POLLIN, 0};
            if (::poll(&pfd, 1, 1) <= 0 || !(pfd.revents & POLLIN)) continue;
            char buf[256];
            const ssize_t n = ::read(m_nMaster, buf, sizeof buf);
            if (n > 0) s.append(buf, static_cast<size_t>(n));
        }
        return s;
    }

private:
    int m_nMaster = -1;
    std::string m_strSlave;
};

// Processes events until pred holds or nMaxMs have passed.
template <class Pred> bool SpinUntil(Pred pred, int nMaxMs = 2000) {
    QElapsedTimer timer;
    timer.start();
    while (!pred()) {
        if (timer.elapsed() > nMaxMs) return false;
        QCoreApplication::processEvents();
    }
    return true;
}

// The floor under the application's figures on this machine: one byte written
// on a pty master until a second thread, blocked in poll() on the slave as the
// serial monitor thread is, has read it, while this thread spins as the GUI
// thread does in the benchmarks. Nanoseconds per sample.
inline std::vector<double> PtyThreadFloor(int nRuns) {
    std::vector<double> aNs;
    int nMaster = -1, nSlave = -1;
    if (::openpty(&nMaster, &nSlave, nullptr, nullptr, nullptr) != 0) return aNs;
    termios tio{};
    ::tcgetattr(nSlave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(nSlave, TCSANOW, &tio);
    std::atomic<long long> nReadAt{0};
    std::atomic<bool> bQuit{false};
    std::thread reader([&] {
        while (!bQuit) {
            pollfd pfd{nSlave, POLLIN, 0};
            if (::poll(&pfd, 1, 100) <= 0) continue;
            char c;
            if (::read(nSlave, &c, 1) == 1)
                nReadAt = std::chrono::steady_clock::now().time_since_epoch().count();
        }
    });
    for (int i = 0; i < nRuns; ++i) {
        nReadAt = 0;
        const auto t0 = std::chrono::steady_clock::now();
        if (::write(nMaster, "#", 1) != 1) break;
        while (nReadAt == 0) {}
        aNs.push_back(static_cast<double>(nReadAt - t0.time_since_epoch().count()));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bQuit = true;
    reader.join();
    ::close(nMaster);
    ::close(nSlave);
    return aNs;
}
