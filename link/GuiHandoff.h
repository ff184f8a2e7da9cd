#pragma once
// Synchronous hand-off of a call from a worker thread into the GUI thread,
// the stand-in for SendMessage from the serial monitor thread.
//
// Run() queues the call, posts an event to a receiver on the GUI thread (a
// non-blocking queued call) unless the GUI thread is already draining the
// queue, and waits until the GUI thread has run it, or until RequestStop().
// The stop wake-up is what lets the GUI thread stop and join the worker
// without dispatching events: a blocking queued connection would deadlock
// there. A call still queued when its caller gave up is taken out of the
// queue, so nothing reaches the owner after a stop.
#include <QPointer>
#include <functional>
#include <memory>

class QObject;
struct HandoffState;

class CGuiHandoff {
public:
    CGuiHandoff();
    ~CGuiHandoff();
    CGuiHandoff(const CGuiHandoff&) = delete;
    CGuiHandoff& operator=(const CGuiHandoff&) = delete;

    // Runs fn on the GUI thread and waits for it. On the GUI thread itself,
    // or when no QCoreApplication exists, fn runs at once on the caller.
    // Returns false (fn not run, or still running) once stop was requested.
    bool Run(std::function<void()> fn);

    // Wakes a waiting Run() and makes every later Run() return false.
    void RequestStop();
    // Accepts calls again; calls posted before are dropped when they arrive.
    void Rearm();
    bool StopRequested() const;

    // True when the caller is the GUI thread (or there is no application).
    static bool OnGuiThread();

private:
    QObject* Receiver();

    std::shared_ptr<HandoffState> m_pState;
    // Lives on the GUI thread, a child of the application object; created
    // when the first call is handed over, so no application is needed before.
    QPointer<QObject> m_pReceiver;
};
