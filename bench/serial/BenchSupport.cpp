#include "bench/serial/BenchSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>

#include "link/ReplyAssembler.h"

LRESULT CAssemblingOwner::OnPortMessage(UINT nMessage, WPARAM wParam, LPARAM) {
    if (nMessage != WM_PORT_RXCHAR) return 0;
    ++nBytes;
    RxFeedChar(static_cast<BYTE>(wParam), m_target);
    if (fnAfterByte) fnAfterByte();
    return 0;
}

// A real event loop, which sleeps while there is nothing to do, as the
// application's does.
bool RunUntil(CAssemblingOwner& owner, const std::function<bool()>& pred, int nMs) {
    if (pred()) return true;
    QEventLoop loop;
    owner.fnAfterByte = [&] {
        if (pred()) loop.quit();
    };
    QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
    loop.exec();
    owner.fnAfterByte = nullptr;
    return pred();
}

void PrintFigure(const char* pszName, double dValue, const char* pszUnit) {
    std::printf("%s: %.2f %s\n", pszName, dValue, pszUnit);
    std::fflush(stdout);
}
