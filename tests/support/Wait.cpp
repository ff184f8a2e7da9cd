#include "tests/support/Wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

bool WaitUntil(const std::function<bool()>& pred, int nMaxMs) {
    QDeadlineTimer deadline(nMaxMs);
    while (!pred()) {
        if (deadline.hasExpired()) return pred();
        QCoreApplication::processEvents();
        QThread::usleep(100);
    }
    return true;
}

void PumpFor(int nMs) {
    QDeadlineTimer deadline(nMs);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
}
