#pragma once
// After Connect the window asks for the whole configuration. When no answer
// comes within ConnectAnswerMs(), one line in the Port Set log says so, so a
// wrong port or cable shows at once rather than at the first timeout.
#include <QString>
#include <functional>

class QObject;

constexpr int CONNECT_ANSWER_MS = 3000;

// The wait that ArmConnectCheck starts from now on (CONNECT_ANSWER_MS until
// changed); tests shorten it so that they need not sit through 3 s.
void SetConnectAnswerMs(int nMs);
int ConnectAnswerMs();

// Starts the wait for the port just connected; fnLog gets the line if no
// whole-configuration reply arrives in time. pContext ends the wait with it.
void ArmConnectCheck(QObject* pContext, const QString& strPort, std::function<void(const QString&)> fnLog);
// A whole-configuration reply was decoded.
void NoteAllConfigReply();
// The link was closed: no line for it any more.
void DisarmConnectCheck();
// The line for a port ("COM3 (/dev/ttyUSB2)").
QString ConnectNoAnswerLine(const QString& strPort);
