#include "app/ConnectCheck.h"

#include <QTimer>

namespace {

// Each Connect arms a new check; a reply or a disconnect settles it by
// moving the number on. A timer that finds another number than its own
// (settled, or left over from an earlier connection) says nothing.
unsigned s_nCheck = 0;
int s_nAnswerMs = CONNECT_ANSWER_MS;

}  // namespace

void SetConnectAnswerMs(int nMs) { s_nAnswerMs = nMs; }

int ConnectAnswerMs() { return s_nAnswerMs; }

QString ConnectNoAnswerLine(const QString& strPort) {
    return QStringLiteral("The switcher on %1 has not answered (wrong port or cable?)").arg(strPort);
}

void ArmConnectCheck(QObject* pContext, const QString& strPort, std::function<void(const QString&)> fnLog) {
    const unsigned nCheck = ++s_nCheck;
    QTimer::singleShot(s_nAnswerMs, pContext, [nCheck, strPort, fnLog = std::move(fnLog)] {
        if (nCheck != s_nCheck) return;
        fnLog(ConnectNoAnswerLine(strPort));
    });
}

void NoteAllConfigReply() { ++s_nCheck; }

void DisarmConnectCheck() { ++s_nCheck; }
