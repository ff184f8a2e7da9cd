#pragma once
// Synchronous hand-off of a call from a worker thread into the GUI thread,
// the stand-in for SendMessage from the serial monitor thread.
//
// Run() posts the call as a non-blocking queued call on the application
// object and waits until the GUI thread has run it, or until RequestStop().
// The stop wake-up is what lets the GUI thread stop and join the worker
// without dispatching events: a blocking queued connection would deadlock
// there. A call still queued when its caller gave up is skipped by the GUI
// thread, so nothing reaches the owner after a stop.
#include <functional>
#include <memory>

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
    struct State;
    std::shared_ptr<State> m_pState;
};
