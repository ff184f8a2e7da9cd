#include "tests/support/ComPorts.h"

#include <QString>
#include <cstdlib>

std::string ComEnvName(int nPortNr) { return "CORVANE_COM" + std::to_string(nPortNr); }

std::string HarmlessComPath(int nPortNr) { return "/nonexistent/corvane-test/com" + std::to_string(nPortNr); }

void PointComPortsNowhere() {
    for (int n = 1; n <= kComPortCount; ++n) PointComPort(n, HarmlessComPath(n));
}

void PointComPort(int nPortNr, const std::string& strPath) {
    ::setenv(ComEnvName(nPortNr).c_str(), strPath.c_str(), 1);
}

void ForgetComPorts() {
    for (int n = 1; n <= kComPortCount; ++n) ::unsetenv(ComEnvName(n).c_str());
}

void PointComPortsNowhere(QProcessEnvironment& env) {
    for (int n = 1; n <= kComPortCount; ++n)
        env.insert(QString::fromStdString(ComEnvName(n)), QString::fromStdString(HarmlessComPath(n)));
}
