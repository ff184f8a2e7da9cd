#pragma once
// The COM port mapping of a test: every CORVANE_COMn points at a path that
// does not exist, so the machine's own /dev/ttyUSB*, /dev/ttyACM* and
// /dev/ttyS* never leak into a run; single ports are then pointed at the
// test's pseudo-terminals or simulators.
#include <QProcessEnvironment>
#include <string>

// Highest COM port number the application knows.
constexpr int kComPortCount = 30;

std::string ComEnvName(int nPortNr);
// The harmless path of COM n: /nonexistent/corvane-test/com<n>.
std::string HarmlessComPath(int nPortNr);

// Points COM1..COM30 at their harmless paths.
void PointComPortsNowhere();
void PointComPort(int nPortNr, const std::string& strPath);
// Removes every CORVANE_COMn again.
void ForgetComPorts();

// The same mapping for a child process: env with every COM port harmless.
void PointComPortsNowhere(QProcessEnvironment& env);
