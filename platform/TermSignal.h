#pragma once
// Turns SIGTERM, SIGINT and SIGHUP into a call on the GUI thread: the signal handler
// only writes one byte into a socket pair, a QSocketNotifier reads it there.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace corvane::platform {

class TermSignal : public QObject {
public:
    explicit TermSignal(std::function<void()> fnOnSignal);
    ~TermSignal() override;

private:
    void OnReadable();

    std::function<void()> m_fnOnSignal;
    QSocketNotifier* m_pNotifier = nullptr;
};

}  // namespace corvane::platform
