#pragma once
// Shared pieces of the gateway benchmarks: the simulator and the gateway
// started on its pty, and what /proc tells of the gateway process (resident
// memory, CPU time).
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <unistd.h>

#include "tests/gateway/GatewayClient.h"
#include "tests/support/SimProcess.h"

// Resident memory of a process in MiB (0 when unknown).
inline double RssMiB(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// User and system CPU time a process has used so far, in seconds.
inline double CpuSeconds(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray stat = f.readAll();
    // The fields after the command name, which is in parentheses and may hold spaces.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    const double dTicks = fields.value(11).toDouble() + fields.value(12).toDouble();  // utime, stime
    return dTicks / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The simulator on a pty and the gateway on it (or on a path of the
// caller's that leads to it), present. Quiet simulator unless bVerbose.
class GatewayRig {
public:
    bool Start(const QStringList& gatewayArgs = {}, bool bVerbose = false) {
        return StartSim(bVerbose) && StartGateway(sim.SlavePath(), gatewayArgs);
    }
    bool StartSim(bool bVerbose = false) {
        SimStart start;
        start.bVerbose = bVerbose;
        return sim.Start(start) || Fail("the simulator did not start");
    }
    bool StartGateway(const QString& link, const QStringList& gatewayArgs = {}) {
        if (!gw.Start(QStringList{"--state", dir.filePath(QStringLiteral("state.json")), "--port", link} + gatewayArgs))
            return Fail("the gateway did not start");
        ApiClient c(gw);
        if (!WaitUntil([&] { return c.Get(QStringLiteral("/api/v1/state")).json[QStringLiteral("present")].toBool(); },
                       20000))
            return Fail("the gateway did not find the switcher");
        return true;
    }
    qint64 Pid() { return gw.Process().processId(); }

    QTemporaryDir dir;
    CSimProcess sim;
    GatewayProcess gw;

private:
    bool Fail(const char* pszWhy) {
        std::fprintf(stderr, "%s\n%s\n", pszWhy, gw.Log().constData());
        return false;
    }
};
