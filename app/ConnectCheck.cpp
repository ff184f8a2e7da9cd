#include "ConnectCheck.h"

#include <QTimer>

namespace {

// Each Connect arms a new check; a reply or a disconnect settles it. A timer
// left over from an earlier connection finds another number and says nothing.
unsigned s_nCheck = 0;
bool s_bAnswered = false;

}  // namespace

QString ConnectNoAnswerLine(const QString& strPort) {
    return QStringLiteral("The switcher on %1 has not answered (wrong port or cable?)").arg(strPort);
}

void ArmConnectCheck(QObject* pContext, const QString& strPort, std::function<void(const QString&)> fnLog) {
    const unsigned nCheck = ++s_nCheck;
    s_bAnswered = false;
    QTimer::singleShot(CONNECT_ANSWER_MS, pContext, [nCheck, strPort, fnLog = std::move(fnLog)] {
        if (nCheck != s_nCheck || s_bAnswered) return;
        fnLog(ConnectNoAnswerLine(strPort));
    });
}

void NoteAllConfigReply() { s_bAnswered = true; }

void DisarmConnectCheck() { ++s_nCheck; }
