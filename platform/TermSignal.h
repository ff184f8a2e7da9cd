#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread: the signal handler
// only writes one byte into a socket pair, a QSocketNotifier reads it there.
#include <QObject>
#include <functional>

class QSocketNotifier;

class CTermSignal : public QObject {
public:
    explicit CTermSignal(std::function<void()> fnOnSignal);
    ~CTermSignal() override;

private:
    void OnReadable();

    std::function<void()> m_fnOnSignal;
    QSocketNotifier* m_pNotifier = nullptr;
};
