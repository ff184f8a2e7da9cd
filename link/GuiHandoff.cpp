#include "link/GuiHandoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

// Qt's event queue is not built for ThreadSanitizer, so the hand-over of an
// event from the posting thread to the GUI thread is made visible to it here.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* pAddr);
extern "C" void __tsan_release(void* pAddr);
#define HANDOFF_PUBLISH(p) __tsan_release(p)
#define HANDOFF_RECEIVE(p) __tsan_acquire(p)
#else
#define HANDOFF_PUBLISH(p) ((void)(p))
#define HANDOFF_RECEIVE(p) ((void)(p))
#endif

// Calls are numbered and queued. The GUI thread marks the number it finished;
// the caller waits for its own number. A caller that leaves on stop takes its
// call back out of the queue if the GUI thread has not started it yet.
struct HandoffState {
    std::mutex m;
    std::condition_variable cv;
    bool bStop = false;
    std::uint64_t nLastId = 0;
    std::atomic<std::uint64_t> nDoneId{0};
    std::deque<std::pair<std::uint64_t, std::function<void()>>> queue;
    std::atomic<bool> bQueued{false};
    // The GUI thread is inside Drain (or an event for it is on its way), so
    // a new call needs no event of its own.
    bool bDraining = false;
};

namespace {

// Bytes of one reply follow each other within microseconds. Both sides wait
// that long actively before they sleep, which saves two thread wake-ups per
// byte while a reply streams in, and costs nothing measurable otherwise.
constexpr auto SPIN_TIME = std::chrono::microseconds(30);

inline void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

template <class Pred> bool SpinFor(Pred pred) {
    const auto tEnd = std::chrono::steady_clock::now() + SPIN_TIME;
    while (std::chrono::steady_clock::now() < tEnd) {
        for (int i = 0; i < 16; ++i) {
            if (pred()) return true;
            CpuRelax();
        }
    }
    return pred();
}

// On the GUI thread: runs queued calls until none comes within the spin.
void Drain(const std::shared_ptr<HandoffState>& st) {
    for (;;) {
        std::function<void()> fn;
        std::uint64_t nId = 0;
        {
            std::unique_lock lk(st->m);
            if (st->bStop || st->queue.empty()) {
                lk.unlock();
                if (!st->bStop && SpinFor([&] { return st->bQueued.load(std::memory_order_acquire); })) continue;
                lk.lock();
                if (st->bStop || st->queue.empty()) {
                    st->bDraining = false;
                    return;
                }
            }
            nId = st->queue.front().first;
            fn = std::move(st->queue.front().second);
            st->queue.pop_front();
            st->bQueued.store(!st->queue.empty(), std::memory_order_release);
        }
        fn();
        {
            // Under the lock, so a caller between its check and its sleep
            // cannot miss the notification. Only forward: a call that opened
            // a modal box can finish after later calls of a restarted link
            // ran in the box's loop, and must not hide their completion.
            std::lock_guard lk(st->m);
            if (nId > st->nDoneId.load(std::memory_order_relaxed)) st->nDoneId.store(nId, std::memory_order_release);
        }
        st->cv.notify_all();
    }
}

class CHandoffEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int nType = QEvent::registerEventType();
        return static_cast<QEvent::Type>(nType);
    }
    explicit CHandoffEvent(std::shared_ptr<HandoffState> st) : QEvent(EventType()), m_st(std::move(st)) {}
    void Dispatch() { Drain(m_st); }

private:
    std::shared_ptr<HandoffState> m_st;
};

class CHandoffReceiver : public QObject {
public:
    bool event(QEvent* e) override {
        HANDOFF_RECEIVE(e);  // before the first read of the event
        if (e->type() != CHandoffEvent::EventType()) return QObject::event(e);
        static_cast<CHandoffEvent*>(e)->Dispatch();
        return true;
    }
};

} // namespace

CGuiHandoff::CGuiHandoff() : m_pState(std::make_shared<HandoffState>()) {}
CGuiHandoff::~CGuiHandoff() { RequestStop(); }

bool CGuiHandoff::OnGuiThread() {
    QCoreApplication* pApp = QCoreApplication::instance();
    return !pApp || QThread::currentThread() == pApp->thread();
}

// Called on the GUI thread by Rearm, or as a fallback on the worker, which
// then moves the receiver over (only the owning thread may do that).
QObject* CGuiHandoff::Receiver() {
    QCoreApplication* pApp = QCoreApplication::instance();
    if (!m_pReceiver && pApp) {
        auto* pReceiver = new CHandoffReceiver;
        if (QThread::currentThread() == pApp->thread())
            pReceiver->setParent(pApp);
        else
            pReceiver->moveToThread(pApp->thread());
        m_pReceiver = pReceiver;
    }
    return m_pReceiver;
}

bool CGuiHandoff::Run(std::function<void()> fn) {
    QObject* pReceiver = OnGuiThread() ? nullptr : Receiver();
    if (!pReceiver) {
        if (StopRequested()) return false;
        fn();
        return true;
    }
    std::shared_ptr<HandoffState> st = m_pState;
    std::uint64_t nId;
    bool bPost;
    {
        std::lock_guard lk(st->m);
        if (st->bStop) return false;
        nId = ++st->nLastId;
        st->queue.emplace_back(nId, std::move(fn));
        st->bQueued.store(true, std::memory_order_release);
        bPost = !st->bDraining;
        st->bDraining = true;
    }
    if (bPost) {
        auto* pEvent = new CHandoffEvent(st);
        HANDOFF_PUBLISH(pEvent);
        QCoreApplication::postEvent(pReceiver, pEvent);
    }

    auto bDone = [&] { return st->nDoneId.load(std::memory_order_acquire) >= nId; };
    if (SpinFor(bDone)) return true;
    std::unique_lock lk(st->m);
    st->cv.wait(lk, [&] { return st->bStop || bDone(); });
    if (bDone()) return true;
    // Stopped: a call the GUI thread has not started yet never runs.
    std::erase_if(st->queue, [nId](const auto& call) { return call.first == nId; });
    st->bQueued.store(!st->queue.empty(), std::memory_order_release);
    return false;
}

void CGuiHandoff::RequestStop() {
    {
        std::lock_guard lk(m_pState->m);
        m_pState->bStop = true;
    }
    m_pState->cv.notify_all();
}

void CGuiHandoff::Rearm() {
    if (OnGuiThread()) Receiver();
    std::lock_guard lk(m_pState->m);
    m_pState->bStop = false;
    m_pState->queue.clear();
    m_pState->bQueued.store(false, std::memory_order_release);
    // A drain still running (a call that opened a modal box) or an event
    // still queued must not hold up the calls of the new monitor thread.
    m_pState->bDraining = false;
}

bool CGuiHandoff::StopRequested() const {
    std::lock_guard lk(m_pState->m);
    return m_pState->bStop;
}
